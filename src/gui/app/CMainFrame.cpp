#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "view/CKinbookView.h"

CMainFrame::CMainFrame(CKinbookDoc& doc, AppServices& services, QWidget* parent)
    : QMainWindow(parent), m_commands(new CommandTable(this)) {
    m_view = new CKinbookView(doc, services, *m_commands, this);
    setCentralWidget(m_view);
    connect(m_view, &CKinbookView::TitleChanged, this, &CMainFrame::OnTitleChanged);
    OnTitleChanged(QString());
    resize(490, 390);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::OnTitleChanged(const QString& title) {
    // The caption is the document title, " - " and the application title.
    setWindowTitle(title + QStringLiteral(" - Kinbook"));
}
