#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Shortening a text with "..." so that it fits a width in pixels (or any unit the
// width function measures in).

// The shortening rule over character counts: nullopt when the whole text (fullWidth)
// fits in width; otherwise how many leading characters to keep before "...": the
// longest prefix whose width with "..." still fits, and at least one character even
// when that alone is too wide. prefixWidth(i) measures the first i characters + "...".
// A text of length 0 always fits.
std::optional<std::size_t> FitPrefixLength(std::size_t length, int width, int fullWidth,
                                           const std::function<int(std::size_t)>& prefixWidth);

// The rule applied to bytes. Characters are UTF-8 sequences when the text is valid
// UTF-8, otherwise single bytes, so a prefix never splits a character.
std::string FitTextToWidth(const std::string& text, int width,
                           const std::function<int(std::string_view)>& widthOf);
