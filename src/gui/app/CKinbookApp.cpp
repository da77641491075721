#include "app/CKinbookApp.h"
#include "app/CMainFrame.h"
#include "app/TextCodec.h"
#include "model/CKinbookDoc.h"
#include "model/DataFileCommands.h"
#include "model/DefaultDataPath.h"
#include "port/IFileSystem.h"
#include "view/CKinbookView.h"
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

CKinbookApp::CKinbookApp() = default;

CKinbookApp::~CKinbookApp() {
    // The frame writes its settings, then the view writes its own.
    m_frame.reset();
}

bool CKinbookApp::ClaimSingleInstance(const std::string& openPath) {
    if (m_instance.Claim())
        return true;
    CSingleInstance::AskHolderToShow(InstanceName(), QByteArray::fromStdString(openPath));
    return false;
}

std::string CKinbookApp::DefaultDataPath() {
#ifdef Q_OS_WIN
    return DataPathFromCommandLine(FromQString(QString::fromWCharArray(::GetCommandLineW())));
#else
    // The program's own directory is often read-only or a build tree: keep the data
    // file in the user's data directory.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return FromQString(QDir(dir).filePath(QString::fromLatin1(kDataFileName)));
#endif
}

void CKinbookApp::EndBySignal() {
    // The settings first: whatever follows, they are on disk.
    m_frame->WriteSettings();
    m_settings.Raw().sync();
    // Open dialogs are cancelled (no cancel changes the book), so that the program
    // gets back to its own loop, or to the end of its start-up, and ends there; the
    // rest of the start-up asks nothing more.
    m_messageBox.SetEnding();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    }
    m_frame->Tray().ExitKinbook();
}

void CKinbookApp::OpenFromOutside(const std::string& path) {
    // A data file opened from the desktop while Kinbook runs. A dialog in the middle of
    // something (an edit, a question) finishes first: the file opens after it closes.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, m_frame.get(), [this, path] { OpenFromOutside(path); });
        return;
    }
    if (!m_bEnding)
        DataFileCommands::OpenArchiveFile(m_frame->View(), path);
}

bool CKinbookApp::InitInstance(const std::string& openPath) {
    // The frame decides when the program ends: closing it to the tray leaves no
    // visible window, yet the program runs on.
    QApplication::setQuitOnLastWindowClosed(false);
    m_services = std::make_unique<AppServices>(
        AppServices{m_messageBox, m_fileChooser, m_clock, m_settings, RealFileSystem()});
    m_doc = std::make_unique<CKinbookDoc>(m_messageBox, RealFileSystem());
    m_doc->SetDataPath(DefaultDataPath());
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_services);
    m_frame->SetBarStateStore(&m_settings.Raw());
    QObject::connect(m_frame.get(), &CMainFrame::ProgramEnding, qApp, [this] {
        m_bEnding = true;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    m_messageBox.SetParent(m_frame.get());
    m_fileChooser.SetParent(m_frame.get());
    QObject::connect(&m_instance, &CSingleInstance::ShowRequested, m_frame.get(),
                     [this](const QByteArray& path) {
                         m_frame->ShowFromOutside();
                         if (!path.isEmpty())
                             OpenFromOutside(path.toStdString());
                     });
    // Ended by a signal: end as from the tray's Exit Kinbook.
    QObject::connect(&m_endSignals, &CEndSignals::EndRequested, m_frame.get(),
                     [this] { EndBySignal(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_frame.get(), [this] {
        m_frame->WriteSettings();
        m_settings.Raw().sync();
    });
    m_frame->View().InitialUpdate();
    // Before the first activation, which reports on the book the window then shows.
    if (!openPath.empty())
        DataFileCommands::OpenArchiveFile(m_frame->View(), openPath);
    m_frame->FirstActivation();
    m_frame->View().FirstActivation();
    return true;
}
