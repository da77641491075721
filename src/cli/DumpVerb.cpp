#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
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

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 1 || a.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        doc.SetKeepDamagedCopies(false); // a dump writes nothing
        if (!doc.Load(a.positional[0]))
            return kExitFile;

        Json categories = Json::array();
        for (const std::string& name : doc.GetCategories().FillComboNames())
            categories.push_back(Text(name));
        Json records = Json::array();
        for (const auto& r : doc.GetRecords())
            records.push_back(RecordJson(*r));
        const Json book = {{"categories", std::move(categories)}, {"records", std::move(records)}};
        std::cout << book.dump(2) << "\n";
        return std::cout ? kExitOk : kExitFile;
    }
};

const CliVerbRegistrar<DumpVerb> registrar;

} // namespace
