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

Json RecordJson(const CContactRecord& r) {
    Json items = Json::array();
    for (int i = 0; i < CContactRecord::kItemCount; ++i)
        items.push_back({{"text", Text(r.m_strItem[i])}, {"label", r.m_nItemLabel[i]}});
    Json otherInfo = Json::array();
    for (const auto& line : r.m_strOtherInfo)
        otherInfo.push_back(Text(line));
    return {{"lastName", Text(r.m_strLastName)}, {"firstName", Text(r.m_strFirstName)},
            {"title", Text(r.m_strTitle)},       {"otherRef", Text(r.m_strOtherRef)},
            {"category", r.m_nCategory},         {"defaultItem", r.m_nDefaultItem},
            {"items", std::move(items)},         {"address", Text(r.m_strAddress)},
            {"city", Text(r.m_strCity)},         {"state", Text(r.m_strState)},
            {"zip", Text(r.m_strZip)},           {"country", Text(r.m_strCountry)},
            {"otherInfo", std::move(otherInfo)}, {"notes", Text(r.m_strNotes)}};
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
