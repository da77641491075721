#include "model/CExtrasSidecar.h"
#include "model/CRecordExtras.h"
#include "model/CRecordUids.h"
#include "model/PercentCoding.h"
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace {

constexpr std::string_view kPlace = "X-KINBOOK-PLACE";
constexpr std::string_view kKept = "X-KINBOOK-KEPT";
constexpr std::string_view kWhole = "X-KINBOOK-PROPERTY";
constexpr std::size_t kFoldAt = 75;

std::uint64_t Step(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

bool IsName(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsNameChar);
}

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// Whether a content line carries the property exactly as it is.
bool FitsContentLine(const VCardProperty& p) {
    if ((!p.group.empty() && !IsName(p.group)) || !IsName(p.name) ||
        vcard::SameWord(p.name, "BEGIN") || vcard::SameWord(p.name, "END") ||
        vcard::SameWord(p.name, kWhole))
        return false;
    if (p.value.find_first_of("\r\n") != std::string::npos)
        return false;
    for (const VCardParam& param : p.params) {
        if (!IsName(param.name))
            return false;
        for (const std::string& v : param.values) {
            if (std::any_of(v.begin(), v.end(), [](char c) { return c != '\n' && IsControl(c); }))
                return false;
        }
    }
    // A last parameter of the same name as the flags would be taken for them.
    return p.params.empty() || !vcard::SameWord(p.params.back().name, kKept);
}

void AppendHex(std::string& out, std::uint64_t v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char buf[16];
    for (int i = 15; i >= 0; --i, v >>= 4)
        buf[i] = kDigits[v & 0x0F];
    out.append(buf, sizeof buf);
}

std::optional<std::uint64_t> ParseHex(std::string_view s) {
    std::uint64_t v = 0;
    if (s.size() != 16 || std::from_chars(s.data(), s.data() + s.size(), v, 16).ptr != s.end())
        return std::nullopt;
    return v;
}

// Bytes that would end or split a part of X-KINBOOK-PROPERTY as %XX.
void AppendPercent(std::string& out, std::string_view s) {
    AppendPercentEncoded(out, s, [](unsigned char c) {
        return IsControl(static_cast<char>(c)) || c == '%' || c == ';';
    });
}

// A parameter value: quoted when it holds a separator, with ^ escapes for ^, " and LF.
void AppendParamValue(std::string& out, std::string_view v) {
    const bool quote = v.find_first_of(",;:") != std::string_view::npos;
    if (quote)
        out += '"';
    for (const char c : v) {
        if (c == '^')
            out += "^^";
        else if (c == '"')
            out += "^'";
        else if (c == '\n')
            out += "^n";
        else
            out += c;
    }
    if (quote)
        out += '"';
}

std::string Flags(const VCardProperty& p) {
    std::string flags;
    if (p.held)
        flags = "held";
    if (p.binary)
        flags += flags.empty() ? "binary" : ",binary";
    return flags;
}

void SetFlags(VCardProperty& p, std::string_view flags) {
    for (const std::string_view f : vcard::SplitEscaped(flags, ',')) {
        p.held = p.held || f == "held";
        p.binary = p.binary || f == "binary";
    }
}

// One logical line, folded at 75 bytes (never inside a UTF-8 sequence), with CR LF.
void AppendFolded(std::string& out, std::string_view line) {
    while (line.size() > kFoldAt) {
        std::size_t cut = kFoldAt;
        while (cut > kFoldAt - 3 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
    }
    out.append(line);
    out += "\r\n";
}

void AppendProperty(std::string& out, std::string& line, const VCardProperty& p) {
    line.clear();
    const std::string flags = Flags(p);
    if (!FitsContentLine(p)) {
        // flags;group;name;value;then each parameter as name;count;values...
        line.append(kWhole).append(":");
        AppendPercent(line, flags);
        for (const std::string_view part :
             {std::string_view(p.group), std::string_view(p.name), std::string_view(p.value)}) {
            line += ';';
            AppendPercent(line, part);
        }
        for (const VCardParam& param : p.params) {
            line += ';';
            AppendPercent(line, param.name);
            line += ';';
            line += std::to_string(param.values.size());
            for (const std::string& v : param.values) {
                line += ';';
                AppendPercent(line, v);
            }
        }
        AppendFolded(out, line);
        return;
    }
    if (!p.group.empty())
        line.append(p.group).append(".");
    line.append(p.name);
    for (const VCardParam& param : p.params) {
        line.append(";").append(param.name);
        for (std::size_t i = 0; i < param.values.size(); ++i) {
            line += i == 0 ? '=' : ',';
            AppendParamValue(line, param.values[i]);
        }
    }
    if (!flags.empty())
        line.append(";").append(kKept).append("=").append(flags);
    line += ':';
    line.append(p.value);
    AppendFolded(out, line);
}

// A parameter value list as written by AppendParamValue.
std::optional<std::vector<std::string>> ParseParamValues(std::string_view s) {
    std::vector<std::string> values(1);
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            values.emplace_back();
        } else if (c == '^' && i + 1 < s.size()) {
            const char e = s[++i];
            values.back() += e == 'n' ? '\n' : (e == '\'' ? '"' : e);
        } else {
            values.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return values;
}

std::optional<VCardProperty> ParseWhole(std::string_view value) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(value.find(';', start), value.size());
        auto text = PercentDecoded(value.substr(start, end - start));
        if (!text)
            return std::nullopt;
        parts.push_back(std::move(*text));
        if (end == value.size())
            break;
        start = end + 1;
    }
    if (parts.size() < 4)
        return std::nullopt;
    VCardProperty p;
    SetFlags(p, parts[0]);
    p.group = std::move(parts[1]);
    p.name = std::move(parts[2]);
    p.value = std::move(parts[3]);
    for (std::size_t i = 4; i < parts.size();) {
        if (i + 1 >= parts.size())
            return std::nullopt;
        VCardParam param{std::move(parts[i]), {}};
        std::size_t count = 0;
        const std::string& n = parts[i + 1];
        if (std::from_chars(n.data(), n.data() + n.size(), count).ptr != n.data() + n.size() ||
            count > parts.size() - i - 2)
            return std::nullopt;
        for (std::size_t k = 0; k < count; ++k)
            param.values.push_back(std::move(parts[i + 2 + k]));
        p.params.push_back(std::move(param));
        i += 2 + count;
    }
    return p;
}

// A content line as AppendProperty writes it (unfolded).
std::optional<VCardProperty> ParseLine(std::string_view line) {
    // The name part runs to the first ':' outside quotes.
    std::size_t colon = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view head = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    std::vector<std::string_view> pieces;
    quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        else if (i == head.size() || (head[i] == ';' && !quoted)) {
            pieces.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string_view name = pieces[0];
    if (name == kWhole && pieces.size() == 1)
        return ParseWhole(value);
    VCardProperty p;
    if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
        p.group = std::string(name.substr(0, dot));
        name.remove_prefix(dot + 1);
    }
    if (!IsName(name) || (!p.group.empty() && !IsName(p.group)))
        return std::nullopt;
    p.name = std::string(name);
    p.value = std::string(value);
    for (std::size_t k = 1; k < pieces.size(); ++k) {
        const std::string_view piece = pieces[k];
        const std::size_t eq = piece.find('=');
        VCardParam param{std::string(piece.substr(0, eq)), {}};
        if (!IsName(param.name))
            return std::nullopt;
        if (eq != std::string_view::npos) {
            auto values = ParseParamValues(piece.substr(eq + 1));
            if (!values)
                return std::nullopt;
            param.values = std::move(*values);
        }
        p.params.push_back(std::move(param));
    }
    if (!p.params.empty() && p.params.back().name == kKept) {
        for (const std::string& f : p.params.back().values)
            SetFlags(p, f);
        p.params.pop_back();
    }
    return p;
}

// The logical lines of a text, unfolded: a line that starts with a blank or a tab goes on
// the one before.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    bool Next(std::string& line) {
        if (m_pos >= m_text.size())
            return false;
        line.clear();
        for (bool first = true;; first = false) {
            std::size_t end = m_text.find('\n', m_pos);
            if (end == std::string_view::npos)
                end = m_text.size();
            std::string_view physical = m_text.substr(m_pos, end - m_pos);
            if (!physical.empty() && physical.back() == '\r')
                physical.remove_suffix(1);
            if (!first)
                physical.remove_prefix(1); // the blank that folded it
            line.append(physical);
            m_pos = end + 1;
            if (m_pos >= m_text.size() || (m_text[m_pos] != ' ' && m_text[m_pos] != '\t'))
                return true;
        }
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

struct Card {
    std::string uid;
    std::size_t place = 0;
    bool gone = false; // its record was deleted by the save that wrote it
    std::uint64_t fingerprint = 0;
    std::uint64_t book = 0;
    CRecordExtras extras;
};

// The cards of text; damaged: set when some of it was not a card of ours.
std::vector<Card> ReadCards(std::string_view text, bool& damaged) {
    std::vector<Card> cards;
    LineReader reader(text);
    std::string line;
    enum class At { Outside, Version, Uid, Place, Properties } at = At::Outside;
    Card card;
    auto fail = [&] {
        damaged = true;
        at = At::Outside;
    };
    while (reader.Next(line)) {
        if (line == "BEGIN:VCARD") { // also after a card cut short
            damaged = damaged || at != At::Outside;
            card = Card{};
            at = At::Version;
            continue;
        }
        switch (at) {
        case At::Outside:
            damaged = damaged || !line.empty();
            break;
        case At::Version:
            line == "VERSION:4.0" ? void(at = At::Uid) : fail();
            break;
        case At::Uid:
            if (line.starts_with("UID:") && line.size() > 4) {
                card.uid = line.substr(4);
                at = At::Place;
            } else {
                fail();
            }
            break;
        case At::Place: {
            const std::string_view value =
                std::string_view(line).substr(std::min(line.size(), kPlace.size() + 1));
            auto parts = vcard::SplitEscaped(value, ';');
            card.gone = parts.size() == 4 && parts[3] == "gone";
            if (card.gone)
                parts.pop_back();
            const auto fingerprint = parts.size() == 3 ? ParseHex(parts[1]) : std::nullopt;
            const auto book = parts.size() == 3 ? ParseHex(parts[2]) : std::nullopt;
            std::size_t place = 0;
            const bool placed =
                parts.size() == 3 && !parts[0].empty() &&
                std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), place).ptr ==
                    parts[0].data() + parts[0].size();
            if (!std::string_view(line).substr(0, kPlace.size() + 1).ends_with(':') ||
                !line.starts_with(kPlace) || !fingerprint || !book || !placed) {
                fail();
                break;
            }
            card.place = place;
            card.fingerprint = *fingerprint;
            card.book = *book;
            at = At::Properties;
            break;
        }
        case At::Properties:
            if (line == "END:VCARD") {
                cards.push_back(std::move(card));
                at = At::Outside;
            } else if (auto p = ParseLine(line)) {
                card.extras.properties.push_back(std::move(*p));
            } else {
                fail();
            }
            break;
        }
    }
    if (at != At::Outside)
        damaged = true; // cut short
    return cards;
}

} // namespace

void CBookDigest::Add(const char* data, std::size_t size) {
    m_size += size;
    while (size > 0 && m_nPending > 0) {
        m_pending[m_nPending++] = static_cast<unsigned char>(*data++);
        --size;
        if (m_nPending == 8) {
            std::uint64_t word;
            std::memcpy(&word, m_pending, 8);
            m_h = Step(m_h, word);
            m_nPending = 0;
        }
    }
    if (m_nPending > 0)
        return; // all of it went to the word begun before
    for (; size >= 8; data += 8, size -= 8) {
        std::uint64_t word;
        std::memcpy(&word, data, 8);
        m_h = Step(m_h, word);
    }
    std::memcpy(m_pending, data, size);
    m_nPending = size;
}

std::uint64_t CBookDigest::Value() const {
    std::uint64_t word = 0;
    std::memcpy(&word, m_pending, m_nPending);
    std::uint64_t h = Step(Step(m_h, word), m_size);
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

bool CExtrasSidecar::AnyExtras(const CRecordList& records) {
    return std::any_of(records.begin(), records.end(),
                       [](const auto& r) { return r->Extras() != nullptr; });
}

void CExtrasSidecar::Write(const CRecordList& records, CRecordUids& uids, std::uint64_t book,
                           std::string_view previous,
                           const std::function<void(std::string_view)>& emit) {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out;
    std::string line;
    auto card = [&](std::string_view uid, std::size_t place, std::uint64_t fingerprint,
                    std::uint64_t bookOf, bool gone, const CRecordExtras& extras) {
        out.append("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:").append(uid).append("\r\n");
        out.append(kPlace).append(":").append(std::to_string(place)).append(";");
        AppendHex(out, fingerprint);
        out += ';';
        AppendHex(out, bookOf);
        out.append(gone ? ";gone\r\n" : "\r\n");
        for (const VCardProperty& p : extras.properties)
            AppendProperty(out, line, p);
        out += "END:VCARD\r\n";
        if (out.size() >= kPiece) {
            emit(out);
            out.clear();
        }
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CContactRecord& r = *records[i];
        if (const CRecordExtras* extras = r.Extras())
            card(uids.UidOf(r), i, CRecordUids::Fingerprint(r), book, false, *extras);
    }
    // The cards of records this save deletes stay one more save, for the old data file:
    // should the save stop before the data file is replaced, they are back with it.
    bool damaged = false;
    for (const Card& old : ReadCards(previous, damaged)) {
        if (!old.gone && uids.RecordOf(old.uid) == nullptr)
            card(old.uid, old.place, old.fingerprint, old.book, true, old.extras);
    }
    if (!out.empty())
        emit(out);
}

CExtrasSidecar::LoadOutcome CExtrasSidecar::Attach(const CRecordList& records, CRecordUids& uids,
                                                   std::string_view text, std::uint64_t book) {
    LoadOutcome outcome;
    std::vector<Card> cards = ReadCards(text, outcome.damaged);
    outcome.cards = cards.size();
    std::vector<bool> given(records.size(), false);
    auto give = [&](std::size_t i, Card& card) {
        CContactRecord& r = *records[i];
        r.EditExtras() = std::move(card.extras);
        r.DropEmptyExtras();
        given[i] = true;
        ++outcome.attached;
        // A record whose UID the UID file did not give (written before the save was cut
        // short) takes its card's.
        if (uids.Find(r) == nullptr)
            uids.Set(r, card.uid);
    };
    std::vector<Card*> left;
    for (Card& card : cards) {
        // The data file the cards were written with: each card knows its record's place.
        if (card.book == book && card.place < records.size() && !given[card.place] &&
            CRecordUids::Fingerprint(*records[card.place]) == card.fingerprint)
            give(card.place, card);
        else if (!card.gone)
            left.push_back(&card);
    }
    if (left.empty())
        return outcome;

    // Another data file: the UID file tells the records apart.
    std::unordered_map<const CContactRecord*, std::size_t> placeOf;
    placeOf.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        placeOf.emplace(records[i].get(), i);
    std::vector<Card*> unknown;
    for (Card* card : left) {
        const CContactRecord* owner = uids.RecordOf(card->uid);
        const auto at = owner ? placeOf.find(owner) : placeOf.end();
        if (at != placeOf.end() && !given[at->second])
            give(at->second, *card);
        else if (owner == nullptr)
            unknown.push_back(card);
    }
    if (unknown.empty())
        return outcome;
    // Records the UID file does not know: by content, nearest place first.
    const std::vector<std::uint64_t> fingerprints = CRecordUids::Fingerprints(records);
    std::unordered_multimap<std::uint64_t, std::size_t> byContent;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!given[i] && uids.Find(*records[i]) == nullptr)
            byContent.emplace(fingerprints[i], i);
    }
    for (Card* card : unknown) {
        auto [from, to] = byContent.equal_range(card->fingerprint);
        auto best = to;
        for (auto it = from; it != to; ++it) {
            const auto distance = [&](std::size_t i) {
                return i > card->place ? i - card->place : card->place - i;
            };
            if (!given[it->second] && (best == to || distance(it->second) < distance(best->second)))
                best = it;
        }
        if (best != to)
            give(best->second, *card);
    }
    return outcome;
}
