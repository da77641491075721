#include "print/LineBreaker.h"
#include <string>
#include <vector>

bool CLineBreaker::IsUtf8Text(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c < 0x80)
            n = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            n = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 4;
        else
            return false;
        if (i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

CLineBreaker::CLineBreaker(const CPrintEntry& entry, bool utf8, int width, int labelWidth,
                           const Measure& measure, const CBreakPosition& from)
    : m_entry(entry), m_text(entry.m_strText), m_bUtf8(utf8), m_nWidth(width),
      m_nLabelWidth(labelWidth), m_measure(measure), m_at(from) {}

bool CLineBreaker::LineEndAt(std::size_t k) const {
    return m_text[k] == '\r' && k + 1 < m_text.size() && m_text[k + 1] == '\n';
}

std::size_t CLineBreaker::CharLength(std::size_t k) const {
    if (!m_bUtf8)
        return 1;
    const auto c = static_cast<unsigned char>(m_text[k]);
    if (c < 0x80)
        return 1;
    if (c < 0xE0)
        return 2;
    if (c < 0xF0)
        return 3;
    return 4;
}

bool CLineBreaker::EndOf(std::size_t count) {
    while (m_ends.size() < count) {
        const std::size_t k = m_ends.back();
        if (k >= m_text.size() || LineEndAt(k))
            return false;
        m_ends.push_back(k + CharLength(k));
    }
    return true;
}

bool CLineBreaker::Reaches(std::size_t count) const {
    // The line so far is the text from its start: measured as one piece.
    const std::size_t start = m_at.m_nLineStart;
    return (m_at.m_nLines == 0 ? m_nLabelWidth : 0) +
               m_measure(m_text.substr(start, m_ends[count] - start)) >=
           m_nWidth;
}

void CLineBreaker::EndLine(CPrintLine& out, std::size_t lineEnd, std::size_t next) {
    out.m_strLabel = m_at.m_nLines == 0 ? m_entry.m_strLabel : std::string();
    out.m_strText.assign(m_text.substr(m_at.m_nLineStart, lineEnd - m_at.m_nLineStart));
    ++m_at.m_nLines;
    m_at.m_nLineStart = next;
}

bool CLineBreaker::Next(CPrintLine& out) {
    if (m_bDone)
        return false;
    std::size_t& i = m_at.m_nNext;
    while (i < m_text.size()) {
        if (LineEndAt(i)) {
            i += 2;
            EndLine(out, i - 2, i);
            return true;
        }
        // The line takes characters one by one until it is as wide as the column. A line
        // only grows wider with each character, so the first that makes it so is found by
        // measuring a few of the line's possible ends (1, 2, 4, ... characters, then
        // halving) rather than every one.
        m_ends.assign(1, i);
        std::size_t low = 0; // fewer characters than this stay narrower
        std::size_t high = 1;
        bool found = false;
        while (EndOf(high + 1)) {
            if (Reaches(high)) {
                found = true;
                break;
            }
            low = high;
            high *= 2;
        }
        if (!found) {
            // The last possible end, however far the doubling overshot it.
            high = m_ends.size() - 1;
            if (high > low && Reaches(high))
                found = true;
        }
        if (found) {
            while (high - low > 1) {
                const std::size_t mid = low + (high - low) / 2;
                if (Reaches(mid))
                    high = mid;
                else
                    low = mid;
            }
        }
        i = m_ends[high];
        if (!found)
            continue;
        // Inside a word that does not fit: the line ends at its last blank, which is
        // dropped, and the word begun goes on the next line. A line with no blank after
        // its first word (one long word) still breaks by characters.
        const std::string_view line = m_text.substr(m_at.m_nLineStart, i - m_at.m_nLineStart);
        const bool insideWord = i < m_text.size() && m_text[i] != ' ' && !LineEndAt(i);
        const std::size_t blank = insideWord ? line.rfind(' ') : std::string_view::npos;
        if (blank != std::string_view::npos && line.find_first_not_of(' ') < blank) {
            const std::size_t at = m_at.m_nLineStart + blank;
            EndLine(out, at, at + 1);
            return true;
        }
        const std::size_t end = i;
        if (i < m_text.size() && m_text[i] == ' ')
            ++i;
        EndLine(out, end, i);
        return true;
    }
    m_bDone = true;
    // What is left of the line, or the one empty line of an empty entry.
    if (m_at.m_nLineStart < i || m_at.m_nLines == 0) {
        EndLine(out, i, i);
        return true;
    }
    return false;
}

std::vector<CPrintLine> BreakEntry(const CPrintEntry& entry, int width, int labelWidth,
                                   const std::function<int(std::string_view)>& measure) {
    CLineBreaker breaker(entry, CLineBreaker::IsUtf8Text(entry.m_strText), width, labelWidth,
                         measure);
    std::vector<CPrintLine> lines;
    for (CPrintLine line; breaker.Next(line);)
        lines.push_back(line);
    return lines;
}
