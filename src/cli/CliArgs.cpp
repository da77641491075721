#include "CliArgs.h"
#include <algorithm>
#include <charconv>

std::optional<std::string> CliArgs::Value(std::string_view option) const {
    const auto it = options.find(option);
    if (it == options.end() || it->second.empty())
        return std::nullopt;
    return it->second.front();
}

std::vector<std::string> CliArgs::Values(std::string_view option) const {
    const auto it = options.find(option);
    return it == options.end() ? std::vector<std::string>() : it->second;
}

namespace {

// "expected one FILE", "expected FILE and COPY", "expected FILE, OUT and IN".
std::string Expected(const std::vector<CliPositional>& positional) {
    if (positional.empty())
        return "expected no arguments";
    if (positional.size() == 1)
        return "expected one " + std::string(positional[0].name);
    std::string text = "expected ";
    for (std::size_t i = 0; i < positional.size(); ++i) {
        if (i > 0)
            text += i + 1 == positional.size() ? " and " : ", ";
        text += positional[i].name;
    }
    return text;
}

} // namespace

std::optional<CliArgs> ParseCliArgs(const std::vector<std::string>& args, const CliSyntax& syntax,
                                    std::string* error) {
    CliArgs out;
    const auto fail = [error](std::string why) {
        *error = std::move(why);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() <= 2 || a.rfind("--", 0) != 0) {
            out.positional.push_back(a);
            continue;
        }
        const auto option = std::find_if(syntax.options.begin(), syntax.options.end(),
                                          [&a](const CliOption& o) { return o.name == a; });
        if (option == syntax.options.end())
            return fail("unknown option '" + a + "'");
        if (out.Has(a) && !option->repeatable)
            return fail("option '" + a + "' given twice");
        const auto count = static_cast<std::size_t>(option->values);
        if (args.size() - i - 1 < count)
            return fail("option '" + a + "' needs " +
                        (count == 1 ? std::string("a value") : std::to_string(count) + " values"));
        std::vector<std::string>& values = out.options[a];
        values.insert(values.end(), args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                      args.begin() + static_cast<std::ptrdiff_t>(i + 1 + count));
        i += count;
    }
    if (out.positional.size() != syntax.positional.size())
        return fail(Expected(syntax.positional));
    for (std::size_t i = 0; i < out.positional.size(); ++i) {
        if (out.positional[i].empty() && !syntax.positional[i].mayBeEmpty)
            return fail(Expected(syntax.positional));
    }
    return out;
}

std::optional<std::uint64_t> ParseUnsigned(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}
