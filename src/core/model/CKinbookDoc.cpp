#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"

CKinbookDoc::CKinbookDoc(IMessageBox& messageBox, IFileSystem& fileSystem)
    : m_messageBox(messageBox), m_fileSystem(fileSystem) {
    m_categories.m_pRecords = &m_records;
}

CKinbookDoc::~CKinbookDoc() = default;

void CKinbookDoc::DeleteContents() {
    m_categories.RemoveAll();
    m_records.clear();
}

bool CKinbookDoc::Load(const std::string&) {
    // Placeholder until the data file reader lands: start an empty book.
    if (m_categories.IsEmpty())
        m_categories.ResetToDefaults();
    return true;
}

bool CKinbookDoc::Save(const std::string&) {
    return false;
}

std::vector<std::string> CKinbookDoc::FilterEntries() const {
    std::vector<std::string> entries = m_categories.FillComboNames();
    entries.emplace_back(kFilterAll);
    entries.emplace_back(kFilterEditCategories);
    return entries;
}
