#include "view/DisplayName.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"

namespace {
constexpr std::string_view kSeparator = ", ";
}

std::string DisplayName(const CContactRecord& r) {
    if (r.m_strFirstName.empty())
        return r.m_strLastName;
    std::string name;
    name.reserve(r.m_strLastName.size() + kSeparator.size() + r.m_strFirstName.size());
    name += r.m_strLastName;
    name += kSeparator;
    name += r.m_strFirstName;
    return name;
}

bool DisplayNameEquals(const CContactRecord& r, std::string_view text) noexcept {
    const std::string_view last = r.m_strLastName;
    if (r.m_strFirstName.empty())
        return kb::EqualsNoCase(last, text);
    const std::string_view first = r.m_strFirstName;
    if (text.size() != last.size() + kSeparator.size() + first.size())
        return false;
    return kb::EqualsNoCase(text.substr(0, last.size()), last) &&
           text.substr(last.size(), kSeparator.size()) == kSeparator &&
           kb::EqualsNoCase(text.substr(last.size() + kSeparator.size()), first);
}

int LetterIndexOf(const CContactRecord& r) noexcept {
    if (r.m_strLastName.empty())
        return -1;
    const char c = r.m_strLastName.front();
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    return -1;
}
