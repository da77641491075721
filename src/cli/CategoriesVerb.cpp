#include "CliBook.h"
#include "CliVerb.h"
#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
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
    CliSyntax Syntax() const override {
        return {{{"FILE"}}, {{"--add", 1}, {"--rename", 2}, {"--delete", 1}}};
    }

    int Run(const CliArgs& a) override {
        if (a.options.size() > 1)
            return UsageError("expected nothing, --add NAME, --rename OLD NEW or --delete NAME "
                              "after FILE");
        // The name dialog takes no more than this; neither does the command line.
        const auto newName = a.Has("--add") ? a.Value("--add") : Second(a.Values("--rename"));
        if (newName && CharacterCount(*newName) > CategoryOps::kMaxNameLength)
            return UsageError("a category name has at most " +
                              std::to_string(CategoryOps::kMaxNameLength) + " characters");

        const std::string& path = a.positional[0];
        CliBook book;
        // Only a book that loaded whole may be changed and saved again, so a damaged file
        // is never written over and needs no safety copy.
        if (!(a.options.empty() ? book.Load(path) : book.LoadToChange(path)))
            return kExitFile;
        if (a.options.empty()) {
            List(book);
            return FlushedStdout();
        }
        if (!Change(book, a))
            return kExitUsage;
        return book.Save(path);
    }

private:
    // Carries out --add, --rename or --delete; false after the dialog's refusal.
    static bool Change(CliBook& book, const CliArgs& a) {
        CCategoryList& categories = book.Categories();
        IMessageBox& box = book.Box();
        if (const auto name = a.Value("--add")) {
            if (!CategoryOps::CheckNameEntered(*name, box) ||
                !CategoryOps::CheckNewName(categories, *name, box))
                return false;
            CategoryOps::AddCategory(categories, *name);
            return true;
        }
        const bool rename = a.Has("--rename");
        const std::string old = rename ? a.Values("--rename")[0] : *a.Value("--delete");
        if (!IsListed(categories, old)) {
            box.Show(rename ? "You must first select a category to rename it."
                            : "You must first select a category to Delete it.",
                     CategoryOps::kSelectionErrorCaption, MbIcon::Information, MbButtons::Ok);
            return false;
        }
        if (!rename) {
            CategoryOps::DeleteCategory(categories, book.Records(), old);
            return true;
        }
        const std::string newName = a.Values("--rename")[1];
        if (!CategoryOps::CheckNameEntered(newName, box))
            return false;
        CategoryOps::RenameCategory(categories, old, newName);
        return true;
    }
    static void List(CliBook& book) {
        const CCategoryList& categories = book.Categories();
        for (std::size_t i = 0; i < categories.GetCount(); ++i) {
            const auto count =
                std::count_if(book.Records().begin(), book.Records().end(),
                              [i](const auto& record) { return record->m_nCategory == i; });
            // As the window shows it: a name stored in Windows-1252 is printed as UTF-8.
            std::cout << i << '\t' << kb::DecodeToUtf8(categories.At(i).m_strName) << '\t' << count
                      << '\n';
        }
    }
    static std::optional<std::string> Second(const std::vector<std::string>& values) {
        return values.size() > 1 ? std::optional(values[1]) : std::nullopt;
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
                           [&](const std::string& n) { return kb::EqualsNoCaseDecoded(n, name); });
    }
};

const CliVerbRegistrar<CategoriesVerb> registrar;

} // namespace
