#include "app/QtSettingsStore.h"
#include "app/TextCodec.h"

QtSettingsStore::QtSettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Feltmoor Kinbook"),
                 QStringLiteral("Kinbook")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : m_settings(iniFile, QSettings::IniFormat) {}

QString QtSettingsStore::Key(const std::string& name) const {
    return QString::fromLatin1(kSettingsSection) + QLatin1Char('/') + ToQString(name);
}

int QtSettingsStore::GetInt(const std::string& name, int defaultValue) const {
    const QVariant v = m_settings.value(Key(name));
    bool ok = false;
    const int value = v.toInt(&ok);
    return (v.isValid() && ok) ? value : defaultValue;
}

std::string QtSettingsStore::GetString(const std::string& name,
                                       const std::string& defaultValue) const {
    const QVariant v = m_settings.value(Key(name));
    return v.isValid() ? FromQString(v.toString()) : defaultValue;
}

void QtSettingsStore::WriteInt(const std::string& name, int value) {
    m_settings.setValue(Key(name), value);
}

void QtSettingsStore::WriteString(const std::string& name, const std::string& value) {
    m_settings.setValue(Key(name), ToQString(value));
}
