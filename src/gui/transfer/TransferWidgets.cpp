#include "transfer/TransferWidgets.h"
#include "app/TextCodec.h"
#include "view/FitText.h"
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

namespace transfer_gui {

void SetTextColor(QWidget* widget, int red, int green, int blue) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, QColor(red, green, blue));
    widget->setPalette(p);
}

QString DisplayPath(const std::string& path, const QLabel* label) {
    const std::string lowered = FromQString(ToQString(path).toLower());
    const QFontMetrics metrics(label->font());
    const int width = label->minimumWidth() > 0 ? label->minimumWidth() : label->width();
    return ToQString(FitTextToWidth(lowered, width, [&](std::string_view s) {
        return metrics.horizontalAdvance(ToQString(s));
    }));
}

} // namespace transfer_gui
