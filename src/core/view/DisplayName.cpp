#include "view/DisplayName.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "model/UnicodeText.h"

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

std::string DecodedDisplayName(const CContactRecord& r) {
    if (r.m_strFirstName.empty())
        return kb::DecodeToUtf8(r.m_strLastName);
    return kb::DecodeToUtf8(r.m_strLastName) + std::string(kSeparator) +
           kb::DecodeToUtf8(r.m_strFirstName);
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

int LetterIndexOf(std::string_view lastName) {
    const int letter = kb::BaseLetterIndex(kb::FirstCodePoint(lastName));
    return letter < 0 ? kOtherLetter : letter;
}

int LetterIndexOf(const CContactRecord& r) {
    return LetterIndexOf(r.m_strLastName);
}

std::optional<int> LetterIndexOfKey(std::string_view typed) {
    const std::u32string key = kb::DecodeToCodePoints(typed);
    if (key.size() != 1 || (key[0] != U'#' && !kb::IsLetter(key[0])))
        return std::nullopt;
    return LetterIndexOf(typed);
}

std::string LetterText(int k) {
    if (k >= 0 && k < kOtherLetter)
        return std::string(1, static_cast<char>('A' + k));
    return "#";
}
