#pragma once
#include "print/CPrintText.h"
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One output line: the label is set on the first line of a labelled entry only.
struct CPrintLine {
    std::string m_strLabel;
    std::string m_strText;
    bool operator==(const CPrintLine&) const = default;
};

// Breaks an entry into lines for an available width: a CR LF pair ends a line and is
// dropped; otherwise characters are appended and, once the label's width plus the
// text's width reaches the width, the line ends. At the end of a word the line ends
// after the character that reached the width and one blank that follows is dropped;
// inside a word it ends at its last blank (dropped), the word going to the next line;
// a word with no blank before it on the line breaks after the reaching character.
// labelWidth is the width of the entry's label (0 without one); measure gives the
// width of a text in the entry's text font.
std::vector<CPrintLine> BreakEntry(const CPrintEntry& entry, int width, int labelWidth,
                                   const std::function<int(std::string_view)>& measure);
