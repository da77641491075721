#include "app/CKinbookApp.h"
#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinbook"));
    QApplication::setOrganizationName(QStringLiteral("Feltmoor Kinbook"));
    QApplication::setApplicationVersion(QStringLiteral(KINBOOK_VERSION));
    CKinbookApp app;
    if (!app.InitInstance())
        return 0;
    return QApplication::exec();
}
