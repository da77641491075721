#pragma once
#include "print/CPrintText.h"
#include <cstddef>
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

// Where the breaking of an entry stands between two of its lines: the lines given so far,
// where the next line's text begins, and where breaking goes on (further on when the line
// before ended inside a word and passed the word's beginning on to the next line).
struct CBreakPosition {
    std::size_t m_nLines = 0;
    std::size_t m_nLineStart = 0;
    std::size_t m_nNext = 0;
    bool operator==(const CBreakPosition&) const = default;
};

// Breaks an entry into lines for an available width: a CR LF pair ends a line and is
// dropped; otherwise characters are appended and, once the label's width plus the
// text's width reaches the width, the line ends. At the end of a word the line ends
// after the character that reached the width and one blank that follows is dropped;
// inside a word it ends at its last blank (dropped), the word going to the next line;
// a word with no blank before it on the line breaks after the reaching character.
// labelWidth is the width of the entry's label (0 without one); measure gives the
// width of a text in the entry's text font.
//
// The lines come one at a time, and a breaker can start where another stood, so that a
// page of a long entry costs only the lines it shows.
class CLineBreaker {
public:
    using Measure = std::function<int(std::string_view)>;

    // utf8: whether the entry's text is valid UTF-8 (IsUtf8Text), which is then stepped
    // through by whole characters, so that a line never ends inside one; any other text
    // is single-byte.
    CLineBreaker(const CPrintEntry& entry, bool utf8, int width, int labelWidth,
                 const Measure& measure, const CBreakPosition& from = {});

    // The next line; false after the last.
    bool Next(CPrintLine& out);
    // Where the breaker stands: the next line comes from there.
    const CBreakPosition& Position() const { return m_at; }

    static bool IsUtf8Text(std::string_view text);

private:
    bool LineEndAt(std::size_t k) const;
    std::size_t CharLength(std::size_t k) const;
    // Extends m_ends to count + 1 character ends; false at the text's or the line's end.
    bool EndOf(std::size_t count);
    bool Reaches(std::size_t count) const;
    void EndLine(CPrintLine& out, std::size_t lineEnd, std::size_t next);

    const CPrintEntry& m_entry;
    std::string_view m_text;
    bool m_bUtf8;
    int m_nWidth;
    int m_nLabelWidth;
    const Measure& m_measure;
    CBreakPosition m_at;
    bool m_bDone = false;
    // The ends of the characters that may still join the line, up to the next line end.
    std::vector<std::size_t> m_ends;
};

// Every line of an entry at once.
std::vector<CPrintLine> BreakEntry(const CPrintEntry& entry, int width, int labelWidth,
                                   const std::function<int(std::string_view)>& measure);
