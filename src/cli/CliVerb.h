#pragma once
#include "CliArgs.h"
#include <string>
#include <vector>

// Exit codes of kinbook-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFile = 1;  // the file could not be loaded or saved
inline constexpr int kExitUsage = 2; // bad usage (or a refusal of the program's rules)

// One verb of the command-line companion. Each verb is a small class in its own file
// that registers itself with a static CliVerbRegistrar. It declares its arguments; the
// dispatcher parses them (and answers --help) before Run sees them.
class CliVerb {
public:
    virtual ~CliVerb() = default;
    virtual const char* Name() const = 0;
    virtual const char* Usage() const = 0;   // "check FILE"
    virtual const char* Summary() const = 0; // one line for --help
    virtual CliSyntax Syntax() const = 0;
    virtual int Run(const CliArgs& args) = 0;

    // "kinbook-cli VERB: why" and the verb's Usage line on stderr; the usage exit code.
    int UsageError(const std::string& why) const;
    // Parses and checks args, then runs the verb.
    int Main(const std::vector<std::string>& args);
};

std::vector<CliVerb*>& CliVerbs();

template <class Verb> struct CliVerbRegistrar {
    CliVerbRegistrar() {
        static Verb verb;
        CliVerbs().push_back(&verb);
    }
};
