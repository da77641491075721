// The line breaker finds where a line reaches the column by measuring a few of its possible
// ends. It must break exactly where adding characters one at a time and measuring after each
// breaks: compared here with that plain rule on random texts, widths and fonts.
#include "print/CPrintText.h"
#include "print/LineBreaker.h"
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::size_t CharLength(std::string_view s, std::size_t i, bool utf8) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (!utf8 || c < 0x80)
        return 1;
    return c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

bool Utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80                 ? 1
                              : c >= 0xC2 && c <= 0xDF ? 2
                              : c >= 0xE0 && c <= 0xEF ? 3
                              : c >= 0xF0 && c <= 0xF4 ? 4
                                                       : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

// The plain rule: one character at a time, measured after each.
std::vector<CPrintLine> PlainBreak(const CPrintEntry& entry, int width, int labelWidth,
                                   const std::function<int(std::string_view)>& measure) {
    std::vector<CPrintLine> lines;
    const std::string_view text = entry.m_strText;
    const bool utf8 = Utf8(text);
    std::string line;
    bool pending = false;
    auto endLine = [&] {
        CPrintLine out;
        if (lines.empty())
            out.m_strLabel = entry.m_strLabel;
        out.m_strText = std::move(line);
        lines.push_back(std::move(out));
        line.clear();
        pending = false;
    };
    auto crlf = [&](std::size_t k) {
        return k < text.size() && text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n';
    };
    std::size_t i = 0;
    while (i < text.size()) {
        if (crlf(i)) {
            endLine();
            i += 2;
            continue;
        }
        const std::size_t n = CharLength(text, i, utf8);
        line.append(text.substr(i, n));
        pending = true;
        i += n;
        if ((lines.empty() ? labelWidth : 0) + measure(line) < width)
            continue;
        const bool insideWord = i < text.size() && text[i] != ' ' && !crlf(i);
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
    if (pending || lines.empty())
        endLine();
    return lines;
}

TEST(LineBreakerSearch, BreaksWhereMeasuringEveryCharacterBreaks) {
    std::mt19937 rng(17);
    const std::vector<std::string> pieces = {"a",    "m",  "i",    " ",         "  ",
                                             "\r\n", "\r", "W",    "\xC3\xA9",  "\xE2\x82\xAC",
                                             "\xE9", "-",  "word", "longerword"};
    for (int round = 0; round < 3000; ++round) {
        // Each byte has its own width, as in a proportional font; some are very wide.
        std::array<int, 256> widths{};
        for (int& w : widths)
            w = 20 + static_cast<int>(rng() % 200);
        if (round % 5 == 0)
            widths[static_cast<unsigned char>('W')] = 3000;
        const auto measure = [&widths](std::string_view t) {
            int w = 0;
            for (const char c : t)
                w += widths[static_cast<unsigned char>(c)];
            return w;
        };
        CPrintEntry entry;
        entry.m_strLabel = rng() % 2 ? "Label:" : "";
        const std::size_t count = rng() % 60;
        for (std::size_t k = 0; k < count; ++k)
            entry.m_strText += pieces[rng() % pieces.size()];
        const int width = 50 + static_cast<int>(rng() % 3000);
        const int labelWidth = entry.m_strLabel.empty() ? 0 : static_cast<int>(rng() % 800);
        ASSERT_EQ(BreakEntry(entry, width, labelWidth, measure),
                  PlainBreak(entry, width, labelWidth, measure))
            << "text '" << entry.m_strText << "', width " << width << ", label " << labelWidth;
    }
}

} // namespace
