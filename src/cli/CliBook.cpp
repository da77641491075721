#include "CliBook.h"
#include "CliVerb.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "view/ContactListing.h"
#include <iostream>

CliBook::CliBook(CliMessageBox::Information information)
    : m_box(information), m_doc(m_box, RealFileSystem()) {
    m_doc.SetKeepDamagedCopies(false);
}

bool CliBook::Load(const std::string& path) {
    return m_doc.Load(path);
}

int CliBook::Save(const std::string& path) {
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
