#include "CliBook.h"
#include "CliVerb.h"
#include "model/TextDecode.h"
#include <iostream>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

Json Text(const std::string& bytes) {
    return kb::DecodeToUtf8(bytes);
}

// The record's fields in the data file's order; the items (with their labels) and the other
// info lines each as one array.
Json RecordJson(const CContactRecord& r) {
    Json out = Json::object();
    for (const RecordField f : kFileOrder) {
        const FieldInfo& info = InfoOf(f);
        if (!info.key.empty()) {
            out[std::string(info.key)] = IsText(f) ? Text(r.Text(f)) : Json(r.Number(f));
        } else if (info.kind == FieldKind::Item) {
            Json& items = info.slot == 0 ? (out["items"] = Json::array()) : out["items"];
            items.push_back(
                {{"text", Text(r.Text(f))}, {"label", r.Number(ItemLabelField(info.slot))}});
        } else if (info.kind == FieldKind::OtherInfo) {
            Json& lines = info.slot == 0 ? (out["otherInfo"] = Json::array()) : out["otherInfo"];
            lines.push_back(Text(r.Text(f)));
        }
    }
    return out;
}

// Prints a book as one JSON document, text decoded as the window shows it.
class DumpVerb final : public CliVerb {
public:
    const char* Name() const override { return "dump"; }
    const char* Usage() const override { return "dump FILE"; }
    const char* Summary() const override {
        return "print the categories and records of FILE as one JSON document";
    }

    CliSyntax Syntax() const override { return {{{"FILE"}}, {}}; }

    int Run(const CliArgs& a) override {
        CliBook book;
        if (!book.LoadToRead(a.positional[0]))
            return kExitFile;
        Json categories = Json::array();
        for (const std::string& name : book.Categories().FillComboNames())
            categories.push_back(Text(name));
        Json records = Json::array();
        for (const auto& r : book.Records())
            records.push_back(RecordJson(*r));
        const Json json = {{"categories", std::move(categories)}, {"records", std::move(records)}};
        std::cout << json.dump(2) << "\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<DumpVerb> registrar;

} // namespace
