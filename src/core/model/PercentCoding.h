#pragma once
// %XX coding of the bytes that may not stand as they are: in the program's own sidecar texts
// (the sync state, the cards file) and in data: URIs. One encoder, one strict decoder.
#include <optional>
#include <string>
#include <string_view>

// Appends s to out with every byte for which mustEscape(byte) holds written as %XX.
template <class MustEscape>
void AppendPercentEncoded(std::string& out, std::string_view s, MustEscape mustEscape) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (mustEscape(u)) {
            out += '%';
            out += kDigits[u >> 4];
            out += kDigits[u & 0x0F];
        } else {
            out += c;
        }
    }
}

// s with every %XX undone; null when a '%' is not followed by two hex digits.
std::optional<std::string> PercentDecoded(std::string_view s);
