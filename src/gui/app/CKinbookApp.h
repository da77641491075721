#pragma once
#include "app/AppServices.h"
#include "app/CEndSignals.h"
#include "app/CSingleInstance.h"
#include "app/QtFileChooser.h"
#include "app/QtMessageBox.h"
#include "app/QtSettingsStore.h"
#include "port/IClock.h"
#include <memory>
#include <string>

class CKinbookDoc;
class CMainFrame;

// Start-up: the single-instance lock, the settings store, the document, the main
// window and its view.
class CKinbookApp {
public:
    CKinbookApp();
    ~CKinbookApp();

    // The name of the lock that marks a running Kinbook.
    static QString InstanceName() { return QStringLiteral("FeltmureKinbook"); }
    // Takes the lock; false when another Kinbook runs (this one must end quietly, after
    // asking that one to show its window and to open openPath, when given).
    bool ClaimSingleInstance(const std::string& openPath = {});

    // Creates the document, the frame and the view, loads the data file and shows
    // the window; then opens openPath, when given, as Open Archive does. Returns false
    // when the program should end at once.
    bool InitInstance(const std::string& openPath = {});
    CMainFrame* MainFrame() { return m_frame.get(); }
    // The window has closed for good, perhaps before the event loop even began (ended
    // while the start-up message was up).
    bool Ending() const { return m_bEnding; }
    CKinbookDoc& Document() { return *m_doc; }

    // The default data file path on this platform.
    static std::string DefaultDataPath();

private:
    // Opens a data file another start was given, once no dialog is open.
    void OpenFromOutside(const std::string& path);
    // SIGTERM, SIGHUP or SIGINT: the settings are written and the program ends.
    void EndBySignal();

    CSingleInstance m_instance{InstanceName()};
    CEndSignals m_endSignals;
    QtMessageBox m_messageBox;
    QtFileChooser m_fileChooser;
    SystemClock m_clock;
    QtSettingsStore m_settings;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<CKinbookDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_bEnding = false;
};
