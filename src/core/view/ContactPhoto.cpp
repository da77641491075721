#include "view/ContactPhoto.h"
#include "model/CRecordExtras.h"
#include "model/PercentCoding.h"
#include <algorithm>

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == '-')
        return 62;
    if (c == '/' || c == '_')
        return 63;
    return -1;
}

} // namespace

const VCardProperty* ShownPhoto(const CRecordExtras* extras) {
    return extras ? extras->FindShown("PHOTO") : nullptr;
}

std::optional<std::string> PhotoBytes(const VCardProperty& photo) {
    std::string_view value = photo.value;
    if (value.size() >= 5 && vcard::SameWord(value.substr(0, 5), "data:")) {
        const std::size_t comma = value.find(',');
        if (comma == std::string_view::npos)
            return std::nullopt;
        const std::string_view head = value.substr(5, comma - 5);
        const std::string_view data = value.substr(comma + 1);
        const bool base64 =
            head.size() >= 7 && vcard::SameWord(head.substr(head.size() - 7), ";base64");
        return base64 ? DecodeBase64(data) : PercentDecoded(data);
    }
    // A value that is no binary one is a link (VALUE=uri): nothing here to show.
    if (!photo.binary)
        return std::nullopt;
    return DecodeBase64(value);
}

std::string PhotoType(std::string_view b) {
    const auto starts = [b](std::string_view magic, std::size_t at = 0) {
        return b.size() >= at + magic.size() && b.substr(at, magic.size()) == magic;
    };
    if (starts("\xFF\xD8\xFF"))
        return "JPEG";
    if (starts("\x89PNG\r\n\x1A\n"))
        return "PNG";
    if (starts("GIF87a") || starts("GIF89a"))
        return "GIF";
    if (starts("BM"))
        return "BMP";
    if (starts("RIFF") && starts("WEBP", 8))
        return "WEBP";
    return {};
}

void SetPhoto(CRecordExtras& extras, std::string_view bytes, std::string_view type) {
    VCardProperty photo;
    photo.name = "PHOTO";
    photo.params.push_back({"ENCODING", {"b"}});
    if (!type.empty())
        photo.params.push_back({"TYPE", {std::string(type)}});
    photo.value = EncodeBase64(bytes);
    photo.binary = true;
    if (VCardProperty* shown = extras.FindShown("PHOTO")) {
        photo.group = shown->group;
        *shown = std::move(photo);
    } else {
        extras.properties.push_back(std::move(photo));
    }
}

bool RemovePhoto(CRecordExtras& extras) {
    auto& props = extras.properties;
    const auto end = std::remove_if(props.begin(), props.end(), [](const VCardProperty& p) {
        return !p.held && p.name == "PHOTO";
    });
    const bool removed = end != props.end();
    props.erase(end, props.end());
    return removed;
}

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += kAlphabet[n >> 6 & 63];
        out += kAlphabet[n & 63];
    }
    if (i < bytes.size()) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int sextet = Sextet(c);
        if (sextet < 0 || padding > 0)
            return std::nullopt;
        bits = bits << 6 | static_cast<unsigned>(sextet);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    // Two or three leftover sextets make one or two bytes; one alone is no base64.
    if (count == 1 || padding > 2)
        return std::nullopt;
    if (count == 2) {
        out += static_cast<char>(bits >> 4 & 0xFF);
    } else if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return out;
}
