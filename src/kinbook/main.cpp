#include "app/CKinbookApp.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinbook"));
    QApplication::setOrganizationName(QStringLiteral("Feltmoor Kinbook"));
    QApplication::setApplicationVersion(QStringLiteral(KINBOOK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kinbook, a personal address book."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // For timing the start: ends as soon as the main window is up and the first events
    // after showing it are handled.
    const QCommandLineOption quitAfterShow(
        QStringLiteral("quit-after-show"),
        QStringLiteral("End as soon as the main window is shown (for timing the start)."));
    parser.addOption(quitAfterShow);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A data file to open as File > Open Archive does (it becomes the "
                       "current data file when all of it loads)."),
        QStringLiteral("[file]"));
    // Unknown options are no error either.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    // The data file is remembered for the next start: keep it as a whole path.
    const QStringList files = parser.positionalArguments();
    const std::string openPath =
        files.isEmpty()
            ? std::string()
            : QFile::encodeName(QFileInfo(files.front()).absoluteFilePath()).toStdString();

    CKinbookApp app;
    // A second start ends at once and quietly, handing its file to the first.
    if (!app.ClaimSingleInstance(openPath))
        return 0;
    if (!app.InitInstance(openPath) || app.Ending())
        return 0;
    if (parser.isSet(quitAfterShow)) {
        // The timed start ends with the shown window: tearing a big book down afterwards
        // (every record freed, the settings written) is no part of it. Nothing is left
        // that a killed start would not leave, and the next start handles that.
        QTimer::singleShot(0, &qapp, [] {
            std::fflush(nullptr);
            std::_Exit(0);
        });
    }
    return QApplication::exec();
}
