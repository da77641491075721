#include "CliBook.h"
#include "CliVerb.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "view/ContactListing.h"
#include <iostream>
#include <iterator>

CliBook::CliBook(CliMessageBox::Information information)
    : m_box(information), m_doc(m_box, RealFileSystem()) {
    m_doc.SetKeepDamagedCopies(false);
}

CliBook::~CliBook() {
    // A verb's book lives until the program ends, right after the verb. Handing a big
    // book's records back to the heap one by one costs more than many a verb's whole work,
    // so they are kept, still reachable, and the system takes the memory back at exit.
    static CRecordList* const kept = new CRecordList;
    kept->insert(kept->end(), std::make_move_iterator(m_doc.GetRecords().begin()),
                 std::make_move_iterator(m_doc.GetRecords().end()));
    // The same goes for their UIDs, two tables of an entry a record.
    static CRecordUids* const keptUids = new CRecordUids;
    if (keptUids->Empty())
        *keptUids = std::move(m_doc.Uids());
}

namespace {

// Said plainly: the program's own open-failure message speaks of a backup file.
bool SayWhenMissing(const std::string& path) {
    if (RealFileSystem().Exists(path))
        return false;
    std::cerr << "kinbook-cli: the file " << path << " does not exist\n";
    return true;
}

} // namespace

bool CliBook::Load(const std::string& path) {
    return !SayWhenMissing(path) && m_doc.Load(path);
}

bool CliBook::LoadToChange(const std::string& path) {
    return !SayWhenMissing(path) && m_doc.LockForChange(path) && m_doc.Load(path);
}

bool CliBook::LoadToRead(const std::string& path, Uids uids) {
    // No save will merge another program's changes: nothing to remember of the file.
    m_doc.SetTrackFile(false);
    m_doc.SetReadUids(uids == Uids::Read);
    return !SayWhenMissing(path) && m_doc.Load(path);
}

int CliBook::Save(const std::string& path) {
    // The save still merges what another program changed since the load; nothing comes
    // after it that would need the file remembered again.
    m_doc.SetTrackFile(false);
    return m_doc.Save(path) ? kExitOk : kExitFile;
}

std::optional<std::uint16_t> CliBook::Category(const CliVerb& verb, const std::string& name) const {
    const auto index = m_doc.GetCategories().Find(name);
    if (!index)
        verb.UsageError("the book has no category named '" + name + "'");
    return index;
}

std::optional<CCategoryFilter> CliBook::Filter(const CliVerb& verb,
                                               const std::string& choice) const {
    if (kb::EqualsNoCase(choice, kFilterAll))
        return CCategoryFilter();
    if (const auto index = Category(verb, choice))
        return CCategoryFilter::Only(*index);
    return std::nullopt;
}

int FlushedStdout() {
    std::cout.flush();
    return std::cout ? kExitOk : kExitFile;
}

NamedRecord ResolveNamedRecord(const CliVerb& verb, const CRecordList& records,
                               const std::string& name, const std::optional<std::string>& nth) {
    const std::vector<CContactRecord*> found = FindAllByDisplayName(records, name);
    const std::string count = std::to_string(found.size());
    std::size_t index = 0;
    if (nth) {
        const auto n = ParseUnsigned(*nth);
        if (!n || *n < 1)
            return {nullptr, verb.UsageError("--nth must be a number from 1")};
        if (!found.empty() && *n > found.size())
            return {nullptr,
                    verb.UsageError(count + (found.size() == 1 ? " contact is" : " contacts are") +
                                    " named '" + name + "'; there is no --nth " + *nth)};
        index = static_cast<std::size_t>(*n - 1);
    } else if (found.size() > 1) {
        return {nullptr, verb.UsageError(count + " contacts are named '" + name +
                                         "'; choose one with --nth 1 to --nth " + count)};
    }
    if (found.empty())
        return {};
    return {found[index], 0};
}
