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
        // Qt matches on the patterns in the name's last parentheses, so they must close the
        // name; "*.*" means every file, also one without a dot in its name.
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        const QString qtPatterns =
            QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        QString name = parts[i];
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (name.endsWith(QLatin1Char(')')) && open >= 0)
            name = name.left(open) + qtPatterns;
        else
            name += QLatin1Char(' ') + qtPatterns;
        out << name;
    }
    return out;
}

std::optional<FileChoice> QtFileChooser::Run(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent ? m_parent : QApplication::activeWindow());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // the program asks itself
    if (!request.title.empty())
        dialog.setWindowTitle(ToQString(request.title));
    const QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    const QString initial = ToQString(request.initialName);
    if (!initial.isEmpty() && !initial.contains(QLatin1Char('*')))
        dialog.selectFile(initial);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(ToQString(request.defaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.path = FromQString(dialog.selectedFiles().constFirst());
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1)
        choice.filterIndex = 1;
    return choice;
}

std::optional<FileChoice> QtFileChooser::ChooseOpen(const FileDialogRequest& request) {
    return Run(request, false);
}

std::optional<FileChoice> QtFileChooser::ChooseSave(const FileDialogRequest& request) {
    return Run(request, true);
}
