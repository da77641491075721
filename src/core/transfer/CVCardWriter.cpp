#include "transfer/CVCardWriter.h"

namespace {

bool NeedsQuotes(std::string_view v) {
    return v.find_first_of(":;,") != std::string_view::npos;
}

void AppendParamValue(std::string_view v, std::string& out, bool v40) {
    const bool quote = NeedsQuotes(v);
    if (quote)
        out += '"';
    for (char c : v) {
        if (v40 && c == '^')
            out += "^^";
        else if (v40 && c == '"')
            out += "^'";
        else if (c == '\n')
            out += v40 ? "^n" : " ";
        else if (c == '"' || c == '\r')
            continue; // 3.0 cannot hold a quote inside a parameter value
        else
            out += c;
    }
    if (quote)
        out += '"';
}

bool IsDecodingParam(const VCardParam& param) {
    if (param.name == "CHARSET")
        return true;
    if (param.name != "ENCODING")
        return false;
    for (const std::string& v : param.values) {
        if (v.size() != 16)
            return false;
        for (std::size_t i = 0; i < v.size(); ++i) {
            char c = v[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != "QUOTED-PRINTABLE"[i])
                return false;
        }
    }
    return true;
}

} // namespace

void CVCardWriter::AppendFolded(std::string_view line, std::string& out) {
    std::size_t limit = kLineOctets;
    while (line.size() > limit) {
        std::size_t cut = limit;
        // Never cut inside a UTF-8 character: back up to the byte that starts it.
        while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kLineOctets - 1; // the blank that begins a continuation line counts
    }
    out.append(line);
    out += "\r\n";
}

void CVCardWriter::AppendProperty(const VCardProperty& p, std::string& out, bool v40) {
    std::string line;
    line.reserve(p.name.size() + p.value.size() + 32);
    if (!p.group.empty()) {
        line += p.group;
        line += '.';
    }
    line += p.name;
    for (const VCardParam& param : p.params) {
        if (IsDecodingParam(param))
            continue; // values are held decoded, in UTF-8
        line += ';';
        line += param.name;
        line += '=';
        for (std::size_t i = 0; i < param.values.size(); ++i) {
            if (i > 0)
                line += ',';
            AppendParamValue(param.values[i], line, v40);
        }
    }
    line += ':';
    line += p.value;
    AppendFolded(line, out);
}

void CVCardWriter::AppendCard(const VCard& card, std::string& out) {
    const std::string version = card.version.empty() ? "4.0" : card.version;
    const bool v40 = version == "4.0";
    out += "BEGIN:VCARD\r\n";
    out += "VERSION:";
    out += version;
    out += "\r\n";
    for (const VCardProperty& p : card.properties)
        AppendProperty(p, out, v40);
    out += "END:VCARD\r\n";
}
