#pragma once
#include "CliVerb.h"
#include "view/ContactListing.h"
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

// The record a verb's NAME argument means. Names are display names ("Last, First"),
// compared as the user reads them; when several records share the name, --nth N (1 for
// the first in filing order) picks one, and without it the verb says how many there are.
struct NamedRecord {
    CContactRecord* record = nullptr; // null: none is named so, or error is set
    int error = 0;                    // the exit status after a reported usage error
};

inline NamedRecord ResolveNamedRecord(const CliVerb& verb, const CRecordList& records,
                                      const std::string& name, const CliArgs& args) {
    const std::vector<CContactRecord*> found = FindAllByDisplayName(records, name);
    const std::string count = std::to_string(found.size());
    std::size_t index = 0;
    if (auto it = args.values.find("--nth"); it != args.values.end()) {
        const auto n = ParseUnsigned(it->second);
        if (!n || *n < 1)
            return {nullptr, CliUsageError(verb, "--nth must be a number from 1")};
        if (!found.empty() && *n > found.size())
            return {
                nullptr,
                CliUsageError(verb, count + (found.size() == 1 ? " contact is" : " contacts are") +
                                        " named '" + name + "'; there is no --nth " + it->second)};
        index = static_cast<std::size_t>(*n - 1);
    } else if (found.size() > 1) {
        return {nullptr, CliUsageError(verb, count + " contacts are named '" + name +
                                                 "'; choose one with --nth 1 to --nth " + count)};
    }
    if (found.empty())
        return {};
    return {found[index], 0};
}
