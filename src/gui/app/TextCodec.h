#pragma once
#include <QString>
#include <string>
#include <string_view>

// The one place where core bytes and Qt text meet: bytes are read as UTF-8 when they
// are valid UTF-8, otherwise as Windows-1252 (files written on the original platform);
// text goes back as UTF-8.
QString ToQString(std::string_view bytes);
std::string FromQString(const QString& text);
// Multi-line values keep CR LF in core; widgets use LF.
QString ToWidgetText(std::string_view bytes);
std::string FromWidgetText(const QString& text);
// Text of the user's (a name, a path) made fit for a window title, which would otherwise
// take "[*]" as the place of its modified mark and drop it.
QString PlainWindowTitle(const QString& text);
