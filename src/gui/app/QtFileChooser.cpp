#include "app/QtFileChooser.h"
#include "app/TextCodec.h"
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

QStringList QtFileChooser::QtFilters(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        // Qt takes the patterns from the name's last parentheses: the program's own name
        // stays in front (the dialog hides the added patterns) and "*.*" becomes "*",
        // every file, also one without a dot in its name.
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

void QtFileChooser::Prepare(QFileDialog& dialog, const FileDialogRequest& request, bool save) {
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // the program asks itself
    // The filters show by their own names ("All Files (*.*)"), without Qt's patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (!request.title.empty())
        dialog.setWindowTitle(ToQString(request.title));
    const QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    // The initial name, a pattern ("*.kbk") included, stands in the name box.
    const QString initial = ToQString(request.initialName);
    if (!initial.isEmpty())
        dialog.selectFile(initial);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(ToQString(request.defaultExt));
}

std::optional<FileChoice> QtFileChooser::Run(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent ? m_parent : QApplication::activeWindow());
    Prepare(dialog, request, save);
    const QStringList filters = dialog.nameFilters();
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        // A pattern left in the name box names no file: ask again.
        const QString name = QFileInfo(dialog.selectedFiles().constFirst()).fileName();
        if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
            break;
    }
    FileChoice choice;
    choice.path = FromQString(dialog.selectedFiles().constFirst());
    choice.filterIndex = FilterIndex(filters, dialog.selectedNameFilter());
    return choice;
}

int QtFileChooser::FilterIndex(const QStringList& filters, const QString& selected) {
    for (qsizetype i = 0; i < filters.size(); ++i) {
        // The dialog may name a filter whole or by the name it shows.
        const QString& f = filters[i];
        if (f == selected || f.left(f.lastIndexOf(QStringLiteral(" ("))) == selected)
            return static_cast<int>(i) + 1;
    }
    return 1;
}

std::optional<FileChoice> QtFileChooser::ChooseOpen(const FileDialogRequest& request) {
    return Run(request, false);
}

std::optional<FileChoice> QtFileChooser::ChooseSave(const FileDialogRequest& request) {
    return Run(request, true);
}
