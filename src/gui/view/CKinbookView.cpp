#include "view/CKinbookView.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "app/SubsystemCommands.h"
#include "model/CKinbookDoc.h"

CKinbookView::CKinbookView(CKinbookDoc& doc, AppServices& services, CommandTable& commands,
                           QWidget* parent)
    : QWidget(parent), m_doc(doc), m_services(services), m_commands(commands) {
    m_subsystemCommands = CreateSubsystemCommands(*this, m_commands);
}

CKinbookView::~CKinbookView() = default;

CContactRecord* CKinbookView::GetSelectedRecord(std::size_t*) {
    return nullptr;
}

void CKinbookView::RefreshView(CContactRecord*, bool save) {
    if (save)
        m_doc.Save();
    emit TitleChanged(QString());
}

void CKinbookView::InitialUpdate() { m_doc.Load(); }

void CKinbookView::FirstActivation() { RefreshView(nullptr, false); }
