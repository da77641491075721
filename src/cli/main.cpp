#include "CliVerb.h"
#include <algorithm>
#include <cstring>
#include <iostream>

std::vector<CliVerb*>& CliVerbs() {
    static std::vector<CliVerb*> verbs;
    return verbs;
}

int CliVerb::UsageError(const std::string& why) const {
    std::cerr << "kinbook-cli " << Name() << ": " << why << "\nUsage: kinbook-cli " << Usage()
              << "\n";
    return kExitUsage;
}

int CliVerb::Main(const std::vector<std::string>& args) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << "Usage: kinbook-cli " << Usage() << "\n" << Summary() << "\n";
        return kExitOk;
    }
    std::string error;
    const std::optional<CliArgs> parsed = ParseCliArgs(args, Syntax(), &error);
    if (!parsed)
        return UsageError(error);
    return Run(*parsed);
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "kinbook-cli: the command-line companion of Kinbook, the desktop contact manager.\n\n"
           "Usage: kinbook-cli VERB ARGUMENTS...   (kinbook-cli VERB --help for one verb)\n\n"
           "Verbs:\n";
    auto verbs = CliVerbs();
    std::sort(verbs.begin(), verbs.end(),
              [](CliVerb* a, CliVerb* b) { return std::strcmp(a->Name(), b->Name()) < 0; });
    for (CliVerb* v : verbs)
        out << "  " << v->Usage() << "\n      " << v->Summary() << "\n";
    out << "\nExit status: 0 success, 1 the file could not be loaded or saved, 2 bad usage, 3 the "
           "address book server could not be reached or refused the sync.\n";
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "kinbook-cli " << KINBOOK_VERSION << "\n";
        return kExitOk;
    }
    for (CliVerb* v : CliVerbs()) {
        if (args[0] == v->Name())
            return v->Main(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::cerr << "kinbook-cli: unknown verb '" << args[0] << "' (see kinbook-cli --help)\n";
    return kExitUsage;
}
