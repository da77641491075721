#include "print/LineBreaker.h"

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

    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            endLine();
            i += 2;
            continue;
        }
        const std::size_t n = CharLength(text, i, utf8);
        line.append(text.substr(i, n));
        pending = true;
        i += n;
        const int used = (lines.empty() ? labelWidth : 0) + measure(line);
        if (used >= width) {
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
