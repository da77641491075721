#include "CliBook.h"
#include "CliVerb.h"
#include "port/IFileSystem.h"
#include <iostream>

namespace {

// Loads a book and tells how much it holds, or what the program would say about it.
class CheckVerb final : public CliVerb {
public:
    const char* Name() const override { return "check"; }
    const char* Usage() const override { return "check FILE"; }
    const char* Summary() const override {
        return "load FILE and print \"N categories, M records\", or the program's message";
    }
    CliSyntax Syntax() const override { return {{{"FILE"}}, {}}; }

    int Run(const CliArgs& a) override {
        const std::string& path = a.positional[0];
        // Said plainly: the program's own open-failure message speaks of a backup file.
        if (!RealFileSystem().Exists(path)) {
            std::cerr << "kinbook-cli check: the file " << path << " does not exist\n";
            return kExitFile;
        }
        CliBook book;
        // Counting asks for no UID (a book that keeps extras reads them all the same).
        if (!book.LoadToRead(path, CliBook::Uids::Skip))
            return kExitFile;
        std::cout << book.Categories().GetCount() << " categories, " << book.Records().size()
                  << " records\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<CheckVerb> registrar;

} // namespace
