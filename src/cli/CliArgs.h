#pragma once
#include "CliVerb.h"
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// A verb's arguments split into positional ones, flags ("--force") and options that take
// a value ("--seed 7"). Anything else starting with "--" is an error.
struct CliArgs {
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    std::string error; // empty when the arguments were understood

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
};

inline CliArgs ParseCliArgs(const std::vector<std::string>& args,
                            std::initializer_list<std::string_view> flags,
                            std::initializer_list<std::string_view> valued) {
    CliArgs out;
    const auto in = [](auto list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            if (in(flags, a)) {
                out.flags.insert(a);
            } else if (in(valued, a) && i + 1 < args.size()) {
                out.values[a] = args[++i];
            } else {
                out.error = in(valued, a) ? "option '" + a + "' needs a value"
                                          : "unknown option '" + a + "'";
                return out;
            }
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}

// A whole unsigned decimal number, or nothing.
inline std::optional<std::uint64_t> ParseUnsigned(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

inline int CliUsageError(const CliVerb& verb, const std::string& why) {
    std::cerr << "kinbook-cli " << verb.Name() << ": " << why << "\nUsage: kinbook-cli "
              << verb.Usage() << "\n";
    return kExitUsage;
}
