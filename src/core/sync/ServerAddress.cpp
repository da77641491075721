#include "sync/ServerAddress.h"
#include <algorithm>
#include <cctype>

namespace kb::sync {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string LowerCopy(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The parts of scheme://userinfo@host:port/rest.
struct Parts {
    std::string scheme;
    std::string userInfo;
    bool hasUserInfo = false;
    std::string host; // as written, brackets included
    std::string port;
    std::string rest; // from the first '/', '?' or '#' on
};

// Splits an address; the scheme is empty when there is none ("host/path").
Parts Split(std::string_view url) {
    Parts p;
    const auto sep = url.find("://");
    const bool hasScheme =
        sep != std::string_view::npos && sep > 0 &&
        std::isalpha(static_cast<unsigned char>(url[0])) != 0 &&
        std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(sep), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' ||
                   c == '.';
        });
    if (hasScheme) {
        p.scheme = LowerCopy(url.substr(0, sep));
        url.remove_prefix(sep + 3);
    }
    const auto end = url.find_first_of("/?#");
    std::string_view authority = url.substr(0, end);
    if (end != std::string_view::npos)
        p.rest = url.substr(end);
    // The last '@' ends the user info: a password may hold one, a host never does.
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        p.hasUserInfo = true;
        p.userInfo = authority.substr(0, at);
        authority.remove_prefix(at + 1);
    }
    const auto close = authority.rfind(']');
    const auto colon = authority.rfind(':');
    if (colon != std::string_view::npos && (close == std::string_view::npos || colon > close)) {
        p.port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
    }
    p.host = authority;
    return p;
}

bool ValidPort(const std::string& port) {
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int n = std::stoi(port);
    return n > 0 && n <= 65535;
}

// The host in lower case without IPv6 brackets; empty when it is no host name or address.
std::string CleanHost(const std::string& host) {
    std::string h = LowerCopy(host);
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') {
        h = h.substr(1, h.size() - 2);
        const bool ok = std::all_of(h.begin(), h.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
        });
        return ok ? h : std::string();
    }
    // Bytes from 0x80 up are a name in another script; Qt checks it further.
    const bool ok = !h.empty() && std::all_of(h.begin(), h.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' ||
               c == '_' || static_cast<unsigned char>(c) >= 0x80;
    });
    return ok ? h : std::string();
}

// 127.a.b.c written as four decimal numbers, each at most 255.
bool IsLoopbackIPv4(const std::string& host) {
    int parts = 0;
    std::size_t start = 0;
    std::string first;
    while (start <= host.size()) {
        const auto dot = std::min(host.find('.', start), host.size());
        const std::string part = host.substr(start, dot - start);
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            std::stoi(part) > 255)
            return false;
        if (parts++ == 0)
            first = part;
        start = dot + 1;
    }
    return parts == 4 && first == "127";
}

bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || IsLoopbackIPv4(host);
}

} // namespace

ServerAddress ParseServerAddress(std::string_view typed) {
    while (!typed.empty() && IsBlank(typed.front()))
        typed.remove_prefix(1);
    while (!typed.empty() && IsBlank(typed.back()))
        typed.remove_suffix(1);
    Parts p = Split(typed);
    ServerAddress a;
    if (p.scheme.empty()) {
        p.scheme = "https";
        a.url = "https://" + std::string(typed);
    } else {
        a.url = p.scheme + std::string(typed.substr(typed.find("://")));
    }
    a.host = CleanHost(p.host);
    if ((p.scheme != "http" && p.scheme != "https") || a.host.empty() ||
        (!p.port.empty() && !ValidPort(p.port)) ||
        std::any_of(a.url.begin(), a.url.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == '\\'; }))
        a.kind = ServerAddress::Kind::Invalid;
    else if (p.hasUserInfo)
        a.kind = ServerAddress::Kind::UserInfo;
    else if (p.scheme == "https")
        a.kind = ServerAddress::Kind::Secure;
    else
        a.kind = IsLoopback(a.host) ? ServerAddress::Kind::Loopback : ServerAddress::Kind::Plain;
    return a;
}

std::string OriginOf(std::string_view url) {
    if (ParseServerAddress(url).kind == ServerAddress::Kind::Invalid)
        return {};
    const ServerAddress a = ParseServerAddress(WithoutUserInfo(url));
    const Parts p = Split(a.url);
    std::string origin = p.scheme + "://" + LowerCopy(p.host);
    const bool defaultPort = p.port.empty() || (p.scheme == "https" && std::stoi(p.port) == 443) ||
                             (p.scheme == "http" && std::stoi(p.port) == 80);
    if (!defaultPort)
        origin += ":" + std::to_string(std::stoi(p.port));
    return origin;
}

std::string WithoutUserInfo(std::string_view url) {
    const auto sep = url.find("://");
    const auto start = sep == std::string_view::npos ? 0 : sep + 3;
    const auto end = std::min(url.find_first_of("/?#", start), url.size());
    const auto at = url.substr(0, end).rfind('@');
    if (at == std::string_view::npos || at < start)
        return std::string(url);
    return std::string(url.substr(0, start)) + std::string(url.substr(at + 1));
}

} // namespace kb::sync
