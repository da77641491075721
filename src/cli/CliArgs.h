#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A positional argument as the Usage line names it ("FILE"); only some may be empty.
struct CliPositional {
    std::string_view name;
    bool mayBeEmpty = false;
};

// An option: "--force" takes no value, "--seed" one, "--rename" two (OLD NEW). Only a
// repeatable one ("--item") may be given more than once.
struct CliOption {
    std::string_view name;
    int values = 0;
    bool repeatable = false;
};

// What a verb accepts: its positional arguments, in order, and its options.
struct CliSyntax {
    std::vector<CliPositional> positional;
    std::vector<CliOption> options;
};

// A verb's arguments once parsed and checked against its syntax.
struct CliArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>, std::less<>> options; // values in order

    bool Has(std::string_view option) const { return options.find(option) != options.end(); }
    // The (first) value of an option, or nothing when it was not given.
    std::optional<std::string> Value(std::string_view option) const;
    // Every value given to an option, in order.
    std::vector<std::string> Values(std::string_view option) const;
};

// Splits args by syntax. Anything else starting with "--" is an error, as are a missing
// value, an option given twice, and positional arguments that are missing, too many or
// empty. On error, nothing and the reason in *error.
std::optional<CliArgs> ParseCliArgs(const std::vector<std::string>& args, const CliSyntax& syntax,
                                    std::string* error);

// A whole unsigned decimal number, or nothing.
std::optional<std::uint64_t> ParseUnsigned(const std::string& text);
