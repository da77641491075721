#include "app/CKinbookApp.h"
#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinbook"));
    QApplication::setOrganizationName(QStringLiteral("Feltmoor Kinbook"));
    QApplication::setApplicationVersion(QStringLiteral(KINBOOK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kinbook, a personal address book."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Other arguments are accepted and read no contact data.
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Ignored; Kinbook opens its current data file."),
                                 QStringLiteral("[file...]"));
    // Unknown options are no error either.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    CKinbookApp app;
    // A second start ends at once and quietly, leaving the first alone.
    if (!app.ClaimSingleInstance())
        return 0;
    if (!app.InitInstance() || app.Ending())
        return 0;
    return QApplication::exec();
}
