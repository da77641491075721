#include "print/LineBreaker.h"
#include <string>
#include <vector>

namespace {

// Text that is valid UTF-8 is stepped through by whole characters, so that a line
// never ends inside a multi-byte character; any other text is single-byte.
bool IsValidUtf8(std::string_view s) {
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

std::size_t CharLength(std::string_view s, std::size_t i, bool utf8) {
    if (!utf8)
        return 1;
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    if (c < 0xE0)
        return 2;
    if (c < 0xF0)
        return 3;
    return 4;
}

} // namespace

std::vector<CPrintLine> BreakEntry(const CPrintEntry& entry, int width, int labelWidth,
                                   const std::function<int(std::string_view)>& measure) {
    std::vector<CPrintLine> lines;
    const std::string_view text = entry.m_strText;
    const bool utf8 = IsValidUtf8(text);
    std::string line;
    bool pending = false; // the line has something not yet ended

    auto endLine = [&] {
        CPrintLine out;
        if (lines.empty())
            out.m_strLabel = entry.m_strLabel;
        out.m_strText = std::move(line);
        lines.push_back(std::move(out));
        line.clear();
        pending = false;
    };

    auto lineEndAt = [&text](std::size_t k) {
        return text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n';
    };
    // The ends of the characters that may still join the line, up to the next line end.
    std::vector<std::size_t> ends;
    auto endOf = [&](std::size_t count) {
        while (ends.size() < count) {
            const std::size_t k = ends.back();
            if (k >= text.size() || lineEndAt(k))
                return false;
            ends.push_back(k + CharLength(text, k, utf8));
        }
        return true;
    };

    std::size_t i = 0;
    while (i < text.size()) {
        if (lineEndAt(i)) {
            endLine();
            i += 2;
            continue;
        }
        // The line takes characters one by one until it is as wide as the column. A line
        // only grows wider with each character, so the first that makes it so is found by
        // measuring a few of the line's possible ends (1, 2, 4, ... characters, then
        // halving) rather than every one.
        ends.assign(1, i);
        auto reaches = [&](std::size_t count) {
            const std::string candidate = line + std::string(text.substr(i, ends[count] - i));
            return (lines.empty() ? labelWidth : 0) + measure(candidate) >= width;
        };
        std::size_t low = 0; // fewer characters than this stay narrower
        std::size_t high = 1;
        bool found = false;
        while (endOf(high + 1)) {
            if (reaches(high)) {
                found = true;
                break;
            }
            low = high;
            high *= 2;
        }
        if (!found) {
            // The last possible end, however far the doubling overshot it.
            high = ends.size() - 1;
            if (high > low && reaches(high))
                found = true;
        }
        if (found) {
            while (high - low > 1) {
                const std::size_t mid = low + (high - low) / 2;
                if (reaches(mid))
                    high = mid;
                else
                    low = mid;
            }
        }
        line.append(text.substr(i, ends[high] - i));
        pending = true;
        i = ends[high];
        if (found) {
            // Inside a word that does not fit: the line ends at its last blank, which is
            // dropped, and the word begun goes on the next line. A line with no blank
            // after its first word (one long word) still breaks by characters.
            const bool insideWord =
                i < text.size() && text[i] != ' ' &&
                !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
            const std::size_t blank = insideWord ? line.rfind(' ') : std::string::npos;
            if (blank != std::string::npos && line.find_first_not_of(' ') < blank) {
                std::string rest = line.substr(blank + 1);
                line.erase(blank);
                endLine();
                line = std::move(rest);
                pending = !line.empty();
                continue;
            }
            endLine();
            if (i < text.size() && text[i] == ' ')
                ++i;
        }
    }
    if (pending || lines.empty())
        endLine();
    return lines;
}
