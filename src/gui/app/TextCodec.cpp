#include "app/TextCodec.h"
#include "model/TextDecode.h"

QString ToQString(std::string_view bytes) {
    // One decoding for the whole program: valid UTF-8 as it is, otherwise Windows-1252.
    const std::string utf8 = kb::DecodeToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

QString ToWidgetText(std::string_view bytes) {
    QString s = ToQString(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString PlainWindowTitle(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return s;
}

std::string FromWidgetText(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQString(s);
}
