#include "view/QtFitText.h"
#include "view/FitText.h"
#include <QFontMetrics>

QString FitTextToWidth(const QString& text, int width, const QFontMetrics& metrics) {
    const QString ellipsis = QStringLiteral("...");
    const auto keep = FitPrefixLength(static_cast<std::size_t>(text.size()), width,
                                      metrics.horizontalAdvance(text), [&](std::size_t i) {
                                          return metrics.horizontalAdvance(
                                              text.left(static_cast<qsizetype>(i)) + ellipsis);
                                      });
    if (!keep)
        return text;
    return text.left(static_cast<qsizetype>(*keep)) + ellipsis;
}
