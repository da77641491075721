#pragma once
#include <array>
#include <string>
#include <string_view>

struct CPrintFont;

// One printed size: how many columns, where the text sits inside the paper rectangle,
// the paper rectangle itself (the outline), the depth available to text, the column
// width and the inset of the entries under a name in the book. All in twips.
struct CPaperSize {
    std::string_view m_strName;
    int m_nColumns;
    int m_nXOffset;
    int m_nYOffset;
    int m_nOutlineWidth;
    int m_nOutlineHeight;
    int m_nContentHeight;
    int m_nColumnWidth;
    int m_nIndent;

    // The five sizes, in the order of the dialogs' size lists.
    static const std::array<CPaperSize, 5>& All();
    // The row for a size name (ignoring case); any other text is laid out as Regular.
    static const CPaperSize& Lookup(std::string_view name);
    // The row as a job uses it: one-column sizes without the border lose the Y offset
    // and move 360 twips to the left.
    static CPaperSize ForJob(std::string_view name, bool border);

    static bool IsRegularOrMonarch(std::string_view name);
    // The first listed name that begins with text (ignoring case); empty when none.
    static std::string_view FindListed(std::string_view text);

    // Default margins in inches for a size and border state. A size that is not
    // listed keeps its margins with the border on.
    static void DefaultMargins(std::string_view name, bool border, double& top, double& left);
    // The font Defaults restores: ARIAL, 12 points, 9 on Compact and Classic, 8 on Pocket.
    static CPrintFont DefaultFont(std::string_view name);
};

inline constexpr std::string_view kSizeRegular = "Regular (8 1/2\" x 11\")";
inline constexpr std::string_view kSizeMonarch = "Monarch (8 1/2\" x 11\")";
inline constexpr std::string_view kSizeClassic = "Classic (5 1/2\" x 8 1/2\")";
inline constexpr std::string_view kSizeCompact = "Compact (4 1/4\" x 6 3/4\")";
inline constexpr std::string_view kSizePocket = "Pocket (3 1/2\" x 6\")";
