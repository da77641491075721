#pragma once
#include "port/IFileChooser.h"
#include <QString>

class QWidget;

// The file chooser port on QFileDialog. Converts the "Name|pattern|...||" filter
// into Qt's form and reports the chosen filter's 1-based index.
class QtFileChooser final : public IFileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    std::optional<FileChoice> ChooseOpen(const FileDialogRequest& request) override;
    std::optional<FileChoice> ChooseSave(const FileDialogRequest& request) override;

    // "A (*.a)|*.a|B|*.b;*.c|All (*.*)|*.*||" -> {"A (*.a)", "B (*.b *.c)", "All (*)"};
    // exposed for tests.
    static QStringList QtFilters(const std::string& filter);

private:
    std::optional<FileChoice> Run(const FileDialogRequest& request, bool save);
    QWidget* m_parent;
};
