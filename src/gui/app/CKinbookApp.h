#pragma once
#include "app/AppServices.h"
#include "app/QtFileChooser.h"
#include "app/QtMessageBox.h"
#include "app/QtSettingsStore.h"
#include "port/IClock.h"
#include <memory>

class CKinbookDoc;
class CMainFrame;

// Start-up: settings store, document, main window.
class CKinbookApp {
public:
    CKinbookApp();
    ~CKinbookApp();
    // Returns false when the program should end at once.
    bool InitInstance();
    CMainFrame* MainFrame() { return m_frame.get(); }
    CKinbookDoc& Document() { return *m_doc; }

    // The default data file path on this platform.
    static std::string DefaultDataPath();

private:
    QtMessageBox m_messageBox;
    QtFileChooser m_fileChooser;
    SystemClock m_clock;
    QtSettingsStore m_settings;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<CKinbookDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};
