#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include <algorithm>

namespace {

// Lists, adds, renames and deletes categories with the rules of the category dialogs.
class CategoriesVerb final : public CliVerb {
public:
    const char* Name() const override { return "categories"; }
    const char* Usage() const override {
        return "categories FILE [--add NAME | --rename OLD NEW | --delete NAME]";
    }
    const char* Summary() const override {
        return "list the categories (index, name, records) or add, rename or delete one";
    }

    int Run(const std::vector<std::string>& args) override {
        if (args.empty() || args[0].rfind("--", 0) == 0)
            return CliUsageError(*this, "expected FILE");
        const std::string& path = args[0];
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        enum class Op { List, Add, Rename, Delete } op = Op::List;
        if (rest.empty())
            op = Op::List;
        else if (rest[0] == "--add" && rest.size() == 2)
            op = Op::Add;
        else if (rest[0] == "--rename" && rest.size() == 3)
            op = Op::Rename;
        else if (rest[0] == "--delete" && rest.size() == 2)
            op = Op::Delete;
        else
            return CliUsageError(*this,
                                 "expected nothing, --add NAME, --rename OLD NEW or --delete NAME "
                                 "after FILE");

        // The name dialog takes no more than this; neither does the command line.
        const std::string* newName = op == Op::Add      ? &rest[1]
                                     : op == Op::Rename ? &rest[2]
                                                        : nullptr;
        if (newName && CharacterCount(*newName) > CategoryOps::kMaxNameLength)
            return CliUsageError(*this, "a category name has at most " +
                                            std::to_string(CategoryOps::kMaxNameLength) +
                                            " characters");

        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        // Only a book that loaded whole may be changed and saved again, so a damaged file
        // is never written over and needs no safety copy.
        if (!doc.Load(path))
            return kExitFile;
        CCategoryList& categories = doc.GetCategories();

        switch (op) {
        case Op::List:
            List(doc);
            return kExitOk;
        case Op::Add:
            if (!CategoryOps::CheckNameEntered(rest[1], box) ||
                !CategoryOps::CheckNewName(categories, rest[1], box))
                return kExitUsage;
            CategoryOps::AddCategory(categories, rest[1]);
            break;
        case Op::Rename:
            if (!IsListed(categories, rest[1])) {
                box.Show("You must first select a category to rename it.",
                         CategoryOps::kSelectionErrorCaption, MbIcon::Information, MbButtons::Ok);
                return kExitUsage;
            }
            if (!CategoryOps::CheckNameEntered(rest[2], box))
                return kExitUsage;
            CategoryOps::RenameCategory(categories, rest[1], rest[2]);
            break;
        case Op::Delete:
            if (!IsListed(categories, rest[1])) {
                box.Show("You must first select a category to Delete it.",
                         CategoryOps::kSelectionErrorCaption, MbIcon::Information, MbButtons::Ok);
                return kExitUsage;
            }
            CategoryOps::DeleteCategory(categories, rest[1]);
            break;
        }
        return doc.Save(path) ? kExitOk : kExitFile;
    }

private:
    static void List(const CKinbookDoc& doc) {
        const CCategoryList& categories = doc.GetCategories();
        for (std::size_t i = 0; i < categories.GetCount(); ++i) {
            const auto count =
                std::count_if(doc.GetRecords().begin(), doc.GetRecords().end(),
                              [i](const auto& record) { return record->m_nCategory == i; });
            std::cout << i << '\t' << categories.At(i).m_strName << '\t' << count << '\n';
        }
    }
    // Characters of UTF-8 text: every byte that does not continue a sequence.
    static int CharacterCount(const std::string& text) {
        return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    }
    // Rename and Delete reach only what the dialog lists: never "Unfiled".
    static bool IsListed(const CCategoryList& categories, const std::string& name) {
        const auto names = CategoryOps::ListedNames(categories);
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& n) { return kb::EqualsNoCase(n, name); });
    }
};

const CliVerbRegistrar<CategoriesVerb> registrar;

} // namespace
