#include "print/CPrintOptions.h"
#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include "print/CPaperSize.h"
#include <algorithm>
#include <charconv>
#include <cmath>

void CPrintOptions::Open() {
    std::string_view listed = CPaperSize::FindListed(m_settings.m_strSelectedSize);
    if (listed.empty())
        listed = kSizeRegular;
    m_settings.m_strSelectedSize = std::string(listed);
    // -1 means never set; no other negative margin is valid either.
    if (m_settings.m_dTopMargin < 0.0 || m_settings.m_dLeftMargin < 0.0)
        ApplyDefaultMargins();
    if (CPaperSize::IsRegularOrMonarch(m_settings.m_strSelectedSize))
        m_settings.m_bBorder = false;
}

bool CPrintOptions::IsBorderEnabled() const {
    return !CPaperSize::IsRegularOrMonarch(m_settings.m_strSelectedSize);
}

void CPrintOptions::SetSize(std::string_view name) {
    m_settings.m_strSelectedSize = std::string(name);
    ApplyDefaults();
    if (CPaperSize::IsRegularOrMonarch(name))
        m_settings.m_bBorder = false;
}

void CPrintOptions::ApplyDefaultMargins() {
    CPaperSize::DefaultMargins(m_settings.m_strSelectedSize, m_settings.m_bBorder,
                               m_settings.m_dTopMargin, m_settings.m_dLeftMargin);
}

void CPrintOptions::ApplyDefaults() {
    ApplyDefaultMargins();
    m_settings.m_font = CPaperSize::DefaultFont(m_settings.m_strSelectedSize);
}

void CPrintOptions::SetBorder(bool on) {
    m_settings.m_bBorder = on;
    ApplyDefaultMargins();
}

void CPrintOptions::SetFont(const std::string& face, double pointSize) {
    m_settings.m_font.m_strFaceName = face;
    m_settings.m_font.m_nHeight = -std::max(1, static_cast<int>(std::lround(pointSize)));
}

bool CPrintOptions::CheckMargin(std::string_view text, double max, double& margin,
                                IMessageBox& messageBox) const {
    double value = 0.0;
    if (!ParseNumber(text, value)) {
        messageBox.Show("Please enter a number.", MbIcon::Exclamation);
        return false;
    }
    if (value < 0.0 || value > max) {
        messageBox.Show("Please enter a number between " + FormatNumber(0.0) + " and " +
                            FormatNumber(max) + ".",
                        MbIcon::Exclamation);
        return false;
    }
    margin = value;
    return true;
}

CPrintOptions::MarginField CPrintOptions::StoreMargins(std::string_view leftText,
                                                       std::string_view topText,
                                                       IMessageBox& messageBox) {
    if (!CheckMargin(leftText, kMaxLeftMargin, m_settings.m_dLeftMargin, messageBox))
        return MarginField::Left;
    if (!CheckMargin(topText, kMaxTopMargin, m_settings.m_dTopMargin, messageBox))
        return MarginField::Top;
    return MarginField::None;
}

bool CPrintOptions::ParseNumber(std::string_view text, double& value) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Only plain decimal forms: from_chars alone would also take "inf" and "nan".
    std::size_t i = 0, digits = 0;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j == start)
            return false;
        i = j;
    }
    if (i != text.size())
        return false;
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

std::string CPrintOptions::FormatNumber(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

std::vector<std::string> CPrintOptions::BookCategoryEntries(const CCategoryList& categories) {
    return CategoryOps::DropDownNames(categories, {kFilterAll});
}

int CPrintOptions::SelectBookCategory(const std::vector<std::string>& entries,
                                      std::string_view bookCategory) {
    int all = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (kb::StartsWithNoCase(entries[i], bookCategory))
            return static_cast<int>(i);
        if (all < 0 && kb::EqualsNoCase(entries[i], kFilterAll))
            all = static_cast<int>(i);
    }
    return all;
}
