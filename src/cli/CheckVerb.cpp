#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
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

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 1 || a.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        const std::string& path = a.positional[0];
        // Said plainly: the program's own open-failure message speaks of a backup file.
        if (!RealFileSystem().Exists(path)) {
            std::cerr << "kinbook-cli check: the file " << path << " does not exist\n";
            return kExitFile;
        }
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        doc.SetKeepDamagedCopies(false); // a check writes nothing
        if (!doc.Load(path))
            return kExitFile;
        std::cout << doc.GetCategories().GetCount() << " categories, " << doc.GetRecords().size()
                  << " records\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<CheckVerb> registrar;

} // namespace
