#pragma once
#include <QString>

class QFontMetrics;

// Shortens text with "..." to fit width pixels in the given font, by the program's
// one fitting rule.
QString FitTextToWidth(const QString& text, int width, const QFontMetrics& metrics);
