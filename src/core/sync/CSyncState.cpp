#include "sync/CSyncState.h"
#include "model/PercentCoding.h"
#include "port/IFileSystem.h"
#include "sync/ServerAddress.h"
#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kMagic = "KINBOOK-SYNC 1\n";

// Words of a line are separated by blanks; inside a word, bytes outside the printable
// ASCII range, blanks and '%' are written as %XX.
std::string Escape(std::string_view s) {
    if (s.empty())
        return "%";
    std::string out;
    AppendPercentEncoded(out, s,
                         [](unsigned char c) { return c <= 0x20 || c >= 0x7F || c == '%'; });
    return out;
}

bool Unescape(std::string_view s, std::string& out) {
    out.clear();
    if (s == "%")
        return true;
    std::optional<std::string> decoded = PercentDecoded(s);
    if (!decoded)
        return false;
    out = std::move(*decoded);
    return true;
}

std::string Hex64(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

bool ParseHex64(std::string_view s, std::uint64_t& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

// Takes the next line (without its LF); false at the end.
bool NextLine(std::string_view& text, std::string_view& line) {
    const auto nl = text.find('\n');
    if (nl == std::string_view::npos)
        return false;
    line = text.substr(0, nl);
    text.remove_prefix(nl + 1);
    return true;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start <= line.size()) {
        const auto sp = line.find(' ', start);
        const auto end = sp == std::string_view::npos ? line.size() : sp;
        words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

} // namespace

bool CSyncState::HasSyncedWith(const std::string& url) const {
    return !url.empty() && kb::sync::WithoutUserInfo(url) == m_strBookUrl &&
           (!m_entries.empty() || !m_strToken.empty());
}

std::string CSyncState::Serialize() const {
    using kb::sync::WithoutUserInfo;
    std::string out(kMagic);
    out += "book " + Escape(WithoutUserInfo(m_strBookUrl)) + "\n";
    if (!m_account.Empty())
        out += "account " + Escape(WithoutUserInfo(m_account.server)) + " " +
               Escape(m_account.user) + " " + Escape(WithoutUserInfo(m_account.addressBook)) + " " +
               Escape(m_account.addressBookName) + " " + std::to_string(m_account.intervalMinutes) +
               "\n";
    if (!m_account.trustedCertificate.empty())
        out += "trust " + Escape(m_account.trustedCertificate) + "\n";
    out += "token " + Escape(m_strToken) + "\n";
    out += "fingerprint " + Hex64(m_nBookFingerprint) + "\n";
    for (const auto& [uid, e] : m_entries) {
        out += "card " + Escape(uid) + " " + Escape(e.href) + " " + Escape(e.etag) + " " +
               Hex64(e.fingerprint) + " " + std::to_string(e.card.size()) + "\n";
        out += e.card;
        out += "\n";
    }
    out += "end\n";
    return out;
}

bool CSyncState::Parse(std::string_view text) {
    *this = CSyncState();
    CSyncState s;
    if (text.substr(0, kMagic.size()) != kMagic)
        return false;
    text.remove_prefix(kMagic.size());
    std::string_view line;
    bool ended = false;
    while (!ended && NextLine(text, line)) {
        const auto w = Words(line);
        if (w.size() == 2 && w[0] == "book") {
            if (!Unescape(w[1], s.m_strBookUrl))
                return false;
        } else if (w.size() == 6 && w[0] == "account") {
            SyncAccount& a = s.m_account;
            const auto r =
                std::from_chars(w[5].data(), w[5].data() + w[5].size(), a.intervalMinutes);
            if (!Unescape(w[1], a.server) || !Unescape(w[2], a.user) ||
                !Unescape(w[3], a.addressBook) || !Unescape(w[4], a.addressBookName) ||
                r.ec != std::errc() || r.ptr != w[5].data() + w[5].size() || a.intervalMinutes < 0)
                return false;
        } else if (w.size() == 2 && w[0] == "trust") {
            if (!Unescape(w[1], s.m_account.trustedCertificate))
                return false;
        } else if (w.size() == 2 && w[0] == "token") {
            if (!Unescape(w[1], s.m_strToken))
                return false;
        } else if (w.size() == 2 && w[0] == "fingerprint") {
            if (!ParseHex64(w[1], s.m_nBookFingerprint))
                return false;
        } else if (w.size() == 6 && w[0] == "card") {
            std::string uid;
            SyncEntry e;
            std::size_t length = 0;
            const auto r = std::from_chars(w[5].data(), w[5].data() + w[5].size(), length);
            if (!Unescape(w[1], uid) || uid.empty() || !Unescape(w[2], e.href) ||
                !Unescape(w[3], e.etag) || !ParseHex64(w[4], e.fingerprint) ||
                r.ec != std::errc() || r.ptr != w[5].data() + w[5].size() ||
                length >= text.size() || text[length] != '\n')
                return false;
            e.card.assign(text.substr(0, length));
            text.remove_prefix(length + 1);
            s.m_entries[uid] = std::move(e);
        } else if (w.size() == 1 && w[0] == "end") {
            ended = true;
        } else {
            return false;
        }
    }
    // A file cut short (no "end") is damaged, not a shorter list of cards.
    if (!ended || !text.empty())
        return false;
    *this = std::move(s);
    return true;
}

bool CSyncState::Load(const std::string& dataPath, IFileSystem& fs) {
    *this = CSyncState();
    const std::string path = SidecarPath(dataPath);
    if (!fs.Exists(path))
        return true;
    const std::optional<std::string> text = ReadWholeFile(fs, path);
    return text && Parse(*text);
}

bool CSyncState::Save(const std::string& dataPath, IFileSystem& fs,
                      CFileException::Cause* cause) const {
    const std::string text = Serialize();
    // A file that holds this very state already is left as it is: a sync with nothing
    // to do reads the file but writes nothing.
    if (ReadWholeFile(fs, SidecarPath(dataPath)) == text)
        return true;
    try {
        const auto sink = fs.CreateAtomic(SidecarPath(dataPath));
        sink->Write(text.data(), text.size());
        sink->Commit();
        return true;
    } catch (const CFileException& e) {
        if (cause != nullptr)
            *cause = e.m_cause;
        return false;
    }
}

void CSyncState::NoteBookSaved(const std::string& dataPath, std::uint64_t bookFingerprint,
                               IFileSystem& fs) {
    CSyncState state;
    if (!state.Load(dataPath, fs) || state.Empty())
        return;
    state.m_nBookFingerprint = bookFingerprint;
    state.Save(dataPath, fs);
}
