#include "view/CSettingsSchema.h"
#include "model/NoCase.h"
#include "port/ISettingsStore.h"
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace SettingsSchema {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// An optional minus sign and 1 to 9 digits starting at text[pos]; pos moves past them.
std::optional<int> ReadInteger(std::string_view text, std::size_t& pos) {
    std::size_t start = pos;
    if (pos < text.size() && text[pos] == '-')
        ++pos;
    const std::size_t digitsStart = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos;
    const std::size_t digits = pos - digitsStart;
    if (digits == 0 || digits > 9)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data() + start, text.data() + pos, value);
    return value;
}

CWindowRect FromFields(const std::array<int, 4>& f) {
    return CWindowRect{f[0], f[1], f[2], f[3]};
}

// Exactly four blank-separated integers and nothing else.
std::optional<CWindowRect> ParseRectTokens(std::string_view text) {
    std::array<int, 4> fields{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        auto value = ReadInteger(text, pos);
        if (!value)
            return std::nullopt;
        if (pos < text.size() && !IsBlank(text[pos]))
            return std::nullopt;
        fields[i] = *value;
    }
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos != text.size())
        return std::nullopt;
    return FromFields(fields);
}

// The integers that start at the fixed positions of the format.
std::optional<CWindowRect> ParseRectPositions(std::string_view text) {
    std::array<int, 4> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::size_t pos = i * 5;
        if (pos >= text.size())
            return std::nullopt;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        auto value = ReadInteger(text, pos);
        if (!value)
            return std::nullopt;
        fields[i] = *value;
    }
    return FromFields(fields);
}

} // namespace

std::string FormatRect(const CWindowRect& rect) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d %04d %04d %04d", rect.left, rect.top, rect.right,
                  rect.bottom);
    return buffer;
}

std::optional<CWindowRect> ParseRect(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    if (auto rect = ParseRectTokens(text))
        return rect;
    return ParseRectPositions(text);
}

CWindowRect ParseRectOrDefault(std::string_view text) {
    return ParseRect(text).value_or(CWindowRect{});
}

std::string FormatMargin(double inches) {
    char buffer[64];
    // to_chars, not printf: the decimal point must not follow the user's locale.
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, inches, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return "-1.000000";
    return std::string(buffer, result.ptr);
}

double ParseMargin(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == '+')
        ++pos;
    double value = kMarginNotSet;
    auto result = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value) || value < 0.0)
        return kMarginNotSet;
    return value;
}

int DecodePrintData(int stored) {
    if (stored == -1)
        return kDefaultPrintData;
    return stored & kPrintDataMask;
}

int DefaultFontPitch(std::string_view sizeName) {
    if (kb::EqualsNoCase(sizeName, "Pocket (3 1/2\" x 6\")"))
        return -8;
    if (kb::EqualsNoCase(sizeName, "Compact (4 1/4\" x 6 3/4\")") ||
        kb::EqualsNoCase(sizeName, "Classic (5 1/2\" x 8 1/2\")"))
        return -9;
    return -12;
}

int DecodeSelectedIndex(int stored) {
    if (stored < 0)
        return 0;
    if (stored > kLastSliderPosition)
        return kLastSliderPosition;
    return stored;
}

CPrintSettings ReadPrintSettings(const ISettingsStore& store) {
    CPrintSettings s;
    s.m_nPrintData = DecodePrintData(store.GetInt(kPrintData, -1));
    s.m_bBorder = DecodeFlag(store.GetInt(kBorder, 0));
    s.m_bPause = DecodeFlag(store.GetInt(kPausePrinting, 1));
    s.m_bAlphaPageBreak = DecodeFlag(store.GetInt(kAlphaPageBreak, 0));
    s.m_bContactNotes = DecodeFlag(store.GetInt(kContactNotes, 0));
    s.m_dTopMargin = ParseMargin(store.GetString(kTopMargin, ""));
    s.m_dLeftMargin = ParseMargin(store.GetString(kLeftMargin, ""));
    s.m_strSelectedSize = store.GetString(kSelectedSize, kDefaultSelectedSize);
    const int pitchDefault = DefaultFontPitch(s.m_strSelectedSize);
    s.m_font.m_nHeight = store.GetInt(kFontPitch, pitchDefault);
    // A zero height would print nothing readable: take the size's own default.
    if (s.m_font.m_nHeight == 0)
        s.m_font.m_nHeight = pitchDefault;
    s.m_font.m_strFaceName = store.GetString(kFontName, kDefaultFontName);
    if (s.m_font.m_strFaceName.empty())
        s.m_font.m_strFaceName = kDefaultFontName;
    return s;
}

void WritePrintSettings(ISettingsStore& store, const CPrintSettings& s) {
    store.WriteInt(kPrintData, s.m_nPrintData & kPrintDataMask);
    store.WriteInt(kBorder, EncodeFlag(s.m_bBorder));
    store.WriteInt(kPausePrinting, EncodeFlag(s.m_bPause));
    store.WriteInt(kAlphaPageBreak, EncodeFlag(s.m_bAlphaPageBreak));
    store.WriteInt(kContactNotes, EncodeFlag(s.m_bContactNotes));
    store.WriteString(kTopMargin, FormatMargin(s.m_dTopMargin));
    store.WriteString(kLeftMargin, FormatMargin(s.m_dLeftMargin));
    store.WriteString(kSelectedSize, s.m_strSelectedSize);
    store.WriteInt(kFontPitch, s.m_font.m_nHeight);
    store.WriteString(kFontName, s.m_font.m_strFaceName);
}

int ReadSelectedIndex(const ISettingsStore& store) {
    return DecodeSelectedIndex(store.GetInt(kSelectedIndex, -1));
}

std::string ReadCurrentPath(const ISettingsStore& store) {
    return store.GetString(kCurrentPath, "");
}

int ReadSelectedCategory(const ISettingsStore& store) {
    const int stored = store.GetInt(kSelectedCategory, kNoCategory);
    return stored < 0 ? kNoCategory : stored;
}

void WriteSelectedCategory(ISettingsStore& store, int filterPosition) {
    store.WriteInt(kSelectedCategory, filterPosition);
}

void WriteCurrentPath(ISettingsStore& store, const std::string& path) {
    store.WriteString(kCurrentPath, path);
}

void WriteViewSettings(ISettingsStore& store, const CPrintSettings& print, int selectedIndex,
                       int selectedCategory, const std::string& currentPath) {
    WritePrintSettings(store, print);
    store.WriteInt(kSelectedIndex, selectedIndex);
    WriteSelectedCategory(store, selectedCategory);
    WriteCurrentPath(store, currentPath);
}

CFrameSettings ReadFrameSettings(const ISettingsStore& store) {
    CFrameSettings f;
    f.rect = ParseRectOrDefault(store.GetString(kRect, ""));
    f.icon = store.GetInt(kIcon, 0);
    f.max = store.GetInt(kMax, 0);
    f.showTray = store.GetInt(kShowTray, 0);
    return f;
}

void WriteFrameSettings(ISettingsStore& store, const CWindowRect& normalRect, bool maximised,
                        bool showTray) {
    store.WriteString(kRect, FormatRect(normalRect));
    store.WriteInt(kIcon, 0);
    store.WriteInt(kMax, maximised ? 1 : 0);
    store.WriteInt(kShowTray, showTray ? 1 : 0);
}

} // namespace SettingsSchema
