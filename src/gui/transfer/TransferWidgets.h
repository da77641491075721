#pragma once
#include <QString>
#include <string>

class QWidget;
class QLabel;

// Small pieces the four export and import dialogs share.
namespace transfer_gui {

// Instructions are dark blue, file names dark red.
void SetTextColor(QWidget* widget, int red, int green, int blue);
// The path as shown (not as used): lower case, shortened with "..." to the label's width.
QString DisplayPath(const std::string& path, const QLabel* label);

} // namespace transfer_gui
