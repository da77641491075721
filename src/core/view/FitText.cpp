#include "view/FitText.h"
#include <vector>

namespace {

constexpr std::string_view kEllipsis = "...";

// Byte offsets at which each character of text ends; one per byte when the text is
// not valid UTF-8.
std::vector<std::size_t> CharacterEnds(const std::string& text) {
    std::vector<std::size_t> ends;
    ends.reserve(text.size());
    std::size_t i = 0;
    bool valid = true;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t len = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
        if (len == 0 || i + len > text.size()) {
            valid = false;
            break;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                valid = false;
        }
        if (!valid)
            break;
        i += len;
        ends.push_back(i);
    }
    if (!valid) {
        ends.clear();
        for (std::size_t b = 1; b <= text.size(); ++b)
            ends.push_back(b);
    }
    return ends;
}

} // namespace

std::optional<std::size_t> FitPrefixLength(std::size_t length, int width, int fullWidth,
                                           const std::function<int(std::size_t)>& prefixWidth) {
    if (length == 0 || fullWidth <= width)
        return std::nullopt;
    std::size_t best = 1;
    for (std::size_t i = 2; i <= length; ++i) {
        if (prefixWidth(i) > width)
            break;
        best = i;
    }
    return best;
}

std::string FitTextToWidth(const std::string& text, int width,
                           const std::function<int(std::string_view)>& widthOf) {
    const std::vector<std::size_t> ends = CharacterEnds(text);
    std::string candidate;
    auto prefixWidth = [&](std::size_t i) {
        candidate.assign(text, 0, ends[i - 1]);
        candidate += kEllipsis;
        return widthOf(candidate);
    };
    const auto keep = FitPrefixLength(ends.size(), width, widthOf(text), prefixWidth);
    if (!keep)
        return text;
    std::string fitted = text.substr(0, ends[*keep - 1]);
    fitted += kEllipsis;
    return fitted;
}
