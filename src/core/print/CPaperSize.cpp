#include "print/CPaperSize.h"
#include "model/NoCase.h"
#include "print/CPrintSettings.h"

const std::array<CPaperSize, 5>& CPaperSize::All() {
    static const std::array<CPaperSize, 5> table{{
        {kSizeRegular, 2, 720, 360, 11520, 15120, 14112, 4680, 155},
        {kSizeMonarch, 2, 720, 360, 11520, 15120, 14112, 4680, 187},
        {kSizeClassic, 2, 648, 503, 7200, 11520, 10514, 2592, 103},
        {kSizeCompact, 1, 576, 216, 6120, 9720, 9001, 4896, 195},
        {kSizePocket, 1, 503, 216, 5040, 8640, 7921, 3889, 155},
    }};
    return table;
}

const CPaperSize& CPaperSize::Lookup(std::string_view name) {
    for (const auto& size : All()) {
        if (kb::EqualsNoCase(size.m_strName, name))
            return size;
    }
    return All()[0];
}

CPaperSize CPaperSize::ForJob(std::string_view name, bool border) {
    CPaperSize size = Lookup(name);
    if (!border && size.m_nColumns == 1) {
        size.m_nOutlineHeight -= size.m_nYOffset;
        size.m_nYOffset = 0;
        size.m_nXOffset -= 360;
        size.m_nOutlineWidth -= 360;
    }
    return size;
}

bool CPaperSize::IsRegularOrMonarch(std::string_view name) {
    return kb::EqualsNoCase(name, kSizeRegular) || kb::EqualsNoCase(name, kSizeMonarch);
}

std::string_view CPaperSize::FindListed(std::string_view text) {
    for (const auto& size : All()) {
        if (kb::StartsWithNoCase(size.m_strName, text))
            return size.m_strName;
    }
    return {};
}

void CPaperSize::DefaultMargins(std::string_view name, bool border, double& top, double& left) {
    if (!border) {
        top = left = 0.0;
        return;
    }
    if (IsRegularOrMonarch(name)) {
        top = left = 0.0;
    } else if (kb::EqualsNoCase(name, kSizeClassic)) {
        top = 1.0;
        left = 1.25;
    } else if (kb::EqualsNoCase(name, kSizeCompact)) {
        top = left = 1.875;
    } else if (kb::EqualsNoCase(name, kSizePocket)) {
        top = left = 2.25;
    }
}

CPrintFont CPaperSize::DefaultFont(std::string_view name) {
    CPrintFont font;
    font.m_strFaceName = "ARIAL";
    font.m_nHeight = -12;
    if (kb::EqualsNoCase(name, kSizePocket))
        font.m_nHeight = -8;
    else if (kb::EqualsNoCase(name, kSizeCompact) || kb::EqualsNoCase(name, kSizeClassic))
        font.m_nHeight = -9;
    return font;
}
