#pragma once
#include "port/IFileChooser.h"
#include <QString>

class QFileDialog;
class QWidget;

// The file chooser port on QFileDialog. Converts the "Name|pattern|...||" filter
// into Qt's form and reports the chosen filter's 1-based index.
class QtFileChooser final : public IFileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    std::optional<FileChoice> ChooseOpen(const FileDialogRequest& request) override;
    std::optional<FileChoice> ChooseSave(const FileDialogRequest& request) override;

    // "A (*.a)|*.a|B|*.b;*.c|All (*.*)|*.*||"
    //   -> {"A (*.a) (*.a)", "B (*.b *.c)", "All (*.*) (*)"}: each name as the program
    // gives it, then the patterns Qt filters by; exposed for tests.
    static QStringList QtFilters(const std::string& filter);
    // The 1-based index of the filter a dialog reports as selected (1 when unknown).
    static int FilterIndex(const QStringList& filters, const QString& selected);
    // Sets a dialog up for a request: filters, the chosen one, the initial name.
    static void Prepare(QFileDialog& dialog, const FileDialogRequest& request, bool save);

private:
    std::optional<FileChoice> Run(const FileDialogRequest& request, bool save);
    QWidget* m_parent;
};
