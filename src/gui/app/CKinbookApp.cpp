#include "app/CKinbookApp.h"
#include "app/CMainFrame.h"
#include "app/TextCodec.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "view/CKinbookView.h"
#include <QDir>
#include <QStandardPaths>

CKinbookApp::CKinbookApp() = default;
CKinbookApp::~CKinbookApp() = default;

std::string CKinbookApp::DefaultDataPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return FromQString(QDir(dir).filePath(QStringLiteral("YourContactRecords.kbk")));
}

bool CKinbookApp::InitInstance() {
    m_services = std::make_unique<AppServices>(
        AppServices{m_messageBox, m_fileChooser, m_clock, m_settings, RealFileSystem()});
    m_doc = std::make_unique<CKinbookDoc>(m_messageBox, RealFileSystem());
    m_doc->SetDataPath(DefaultDataPath());
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_services);
    m_messageBox.SetParent(m_frame.get());
    m_fileChooser.SetParent(m_frame.get());
    m_frame->View().InitialUpdate();
    m_frame->show();
    m_frame->View().FirstActivation();
    return true;
}
