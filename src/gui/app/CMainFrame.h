#pragma once
#include <QMainWindow>

class CommandTable;
class CKinbookView;
class CKinbookDoc;
struct AppServices;

// The one top-level window: menus, toolbar, status bar, tray icon; the main view
// fills its client area.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CKinbookDoc& doc, AppServices& services, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CommandTable& Commands() { return *m_commands; }
    CKinbookView& View() { return *m_view; }

private slots:
    void OnTitleChanged(const QString& title);

private:
    CommandTable* m_commands;
    CKinbookView* m_view;
};
