#include "CliVerb.h"
#include <algorithm>
#include <cstring>
#include <iostream>

std::vector<CliVerb*>& CliVerbs() {
    static std::vector<CliVerb*> verbs;
    return verbs;
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "kinbook-cli: the command-line companion of Kinbook, the desktop contact manager.\n\n"
           "Usage: kinbook-cli VERB ARGUMENTS...\n\nVerbs:\n";
    auto verbs = CliVerbs();
    std::sort(verbs.begin(), verbs.end(),
              [](CliVerb* a, CliVerb* b) { return std::strcmp(a->Name(), b->Name()) < 0; });
    for (CliVerb* v : verbs)
        out << "  " << v->Usage() << "\n      " << v->Summary() << "\n";
    out << "\nExit status: 0 success, 1 the file could not be loaded or saved, 2 bad usage.\n";
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
        if (args[0] == v->Name()) {
            args.erase(args.begin());
            return v->Run(args);
        }
    }
    std::cerr << "kinbook-cli: unknown verb '" << args[0] << "' (see kinbook-cli --help)\n";
    return kExitUsage;
}
