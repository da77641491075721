#pragma once
#include "CliMessageBox.h"
#include "model/CCategoryFilter.h"
#include "model/CKinbookDoc.h"
#include <optional>
#include <string>

class CliVerb;

// The book a verb works on: the document on this machine's files, with the program's
// messages going to the command line.
// No verb makes a safety copy of a damaged file: only a book that loaded whole is ever
// saved again, so a damaged file is never written over.
class CliBook {
public:
    explicit CliBook(CliMessageBox::Information information = CliMessageBox::Information::ToStderr);
    ~CliBook();
    CliBook(const CliBook&) = delete;
    CliBook& operator=(const CliBook&) = delete;

    // Loads path; false when the book did not load whole (the program's message is out).
    bool Load(const std::string& path);
    // Loads path for a verb that changes it and saves it back: the writers' lock of path is
    // taken first and held until the program ends, so that no other program's change comes
    // between this load and the save.
    bool LoadToChange(const std::string& path);
    // Loads path for a verb that never saves it; without uids, for one that never asks
    // for a record's UID either.
    enum class Uids { Read, Skip };
    bool LoadToRead(const std::string& path, Uids uids = Uids::Read);
    // Saves to path, a verb's last step: the exit code (kExitFile after the program's
    // message).
    int Save(const std::string& path);
    // The position of the category named name (any case); nothing after a usage error
    // naming it.
    std::optional<std::uint16_t> Category(const CliVerb& verb, const std::string& name) const;
    // What a --category choice selects: "All" (any case) or an existing category; nothing
    // after a usage error naming it.
    std::optional<CCategoryFilter> Filter(const CliVerb& verb, const std::string& choice) const;

    CKinbookDoc& Doc() { return m_doc; }
    CCategoryList& Categories() { return m_doc.GetCategories(); }
    CRecordList& Records() { return m_doc.GetRecords(); }
    CliMessageBox& Box() { return m_box; }

private:
    CliMessageBox m_box;
    CKinbookDoc m_doc;
};

// Output a verb writes must reach its reader: kExitFile when stdout failed.
int FlushedStdout();

// The record a verb's NAME argument means. Names are display names ("Last, First"),
// compared as the user reads them; when several records share the name, nth ("--nth N",
// 1 for the first in filing order) picks one, and without it the verb says how many
// there are.
struct NamedRecord {
    CContactRecord* record = nullptr; // null: none is named so, or error is set
    int error = 0;                    // the exit status after a reported usage error
};
NamedRecord ResolveNamedRecord(const CliVerb& verb, const CRecordList& records,
                               const std::string& name, const std::optional<std::string>& nth);
