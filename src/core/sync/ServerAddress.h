#pragma once
// What a typed server address means, the one rule for the window and the command line:
// a bare host ("dav.example.org", "host:8443/dav") means https; plain http is for this
// machine (localhost, 127.0.0.0/8, ::1) or else only when the user asks for it, because a
// password sent that way can be read by anyone on the path; and a user name or password
// never travels inside the address, where it would end up in files and logs.
#include <string>
#include <string_view>

namespace kb::sync {

struct ServerAddress {
    enum class Kind {
        Secure,   // https
        Loopback, // http to this machine
        Plain,    // http to another machine: unencrypted
        UserInfo, // "user:password@" inside the address: refused
        Invalid,  // not an http or https address
    };
    Kind kind = Kind::Invalid;
    std::string url;  // trimmed, "https://" put in front of a bare host, scheme in lower case
    std::string host; // lower case, an IPv6 address without its brackets
};

ServerAddress ParseServerAddress(std::string_view typed);

// scheme://host[:port] of an http or https address, the port left out when it is the
// scheme's default: what identifies an account's server. Empty when url is none.
std::string OriginOf(std::string_view url);

// url without any "user:password@" part.
std::string WithoutUserInfo(std::string_view url);

} // namespace kb::sync
