#pragma once
#include "CliArgs.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"
#include <array>
#include <map>
#include <string>
#include <vector>

// The record fields a verb can set from the command line (add, edit): which options were
// given, and putting them into a record as the record editor would.
struct RecordOptions {
    std::vector<std::string> positional;
    std::map<std::string, std::string> single; // "--last" -> value
    std::vector<std::string> items;            // "LABEL:TEXT"
    std::vector<std::string> otherInfo;
    bool itemsGiven = false;
    bool otherInfoGiven = false;

    static constexpr const char* kUsage =
        "[--last S] [--first S] [--title S] [--other-ref S] [--category NAME] "
        "[--item LABEL:TEXT]... [--default-item N] [--address S] [--city S] [--state S] "
        "[--zip S] [--country S] [--other-info S]... [--notes S]";

    // Splits the arguments; the usage problem, or empty.
    std::string Parse(const std::vector<std::string>& args) {
        static const std::array<std::string_view, 12> kSingle = {
            "--last",    "--first", "--title", "--other-ref", "--category", "--default-item",
            "--address", "--city",  "--state", "--zip",       "--country",  "--notes"};
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a.size() <= 2 || a.rfind("--", 0) != 0) {
                positional.push_back(a);
                continue;
            }
            const bool known = a == "--item" || a == "--other-info" ||
                               std::find(kSingle.begin(), kSingle.end(), a) != kSingle.end();
            if (!known)
                return "unknown option '" + a + "'";
            if (i + 1 >= args.size())
                return "option '" + a + "' needs a value";
            const std::string& value = args[++i];
            if (a == "--item") {
                items.push_back(value);
                itemsGiven = true;
            } else if (a == "--other-info") {
                otherInfo.push_back(value);
                otherInfoGiven = true;
            } else if (!single.emplace(a, value).second) {
                return "option '" + a + "' given twice";
            }
        }
        if (items.size() > CContactRecord::kItemCount)
            return "at most 7 items";
        if (otherInfo.size() > CContactRecord::kOtherInfoCount)
            return "at most 4 other-info lines";
        return {};
    }

    // Sets the given fields of r (the items and other-info lines as a whole, when given);
    // the usage problem, or empty. The category is the caller's: it needs the book.
    std::string ApplyTo(CContactRecord& r) const {
        const auto take = [this](const char* option, std::string& field, bool crlf = false) {
            if (auto it = single.find(option); it != single.end())
                field = crlf ? WithCrLf(it->second) : it->second;
        };
        take("--last", r.m_strLastName);
        take("--first", r.m_strFirstName);
        take("--title", r.m_strTitle);
        take("--other-ref", r.m_strOtherRef);
        take("--city", r.m_strCity);
        take("--state", r.m_strState);
        take("--zip", r.m_strZip);
        take("--country", r.m_strCountry);
        take("--address", r.m_strAddress, true);
        take("--notes", r.m_strNotes, true);
        if (otherInfoGiven) {
            for (std::size_t i = 0; i < CContactRecord::kOtherInfoCount; ++i)
                r.m_strOtherInfo[i] = i < otherInfo.size() ? otherInfo[i] : std::string();
        }
        if (itemsGiven) {
            static const char* const kLabels[] = {"Home", "Work",   "Mobile", "Pager",
                                                  "Fax",  "E-Mail", "Other"};
            for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
                r.m_strItem[i].clear();
                r.m_nItemLabel[i] = LABEL_NONE;
            }
            for (std::size_t i = 0; i < items.size(); ++i) {
                const std::size_t colon = items[i].find(':');
                const std::string label = items[i].substr(0, colon);
                int code = -1;
                for (int k = 0; k < 7; ++k)
                    if (colon != std::string::npos && kb::EqualsNoCase(label, kLabels[k]))
                        code = k;
                if (code < 0)
                    return "item '" + items[i] +
                           "' is not LABEL:TEXT with LABEL Home, Work, Mobile, Pager, Fax, "
                           "E-Mail or Other";
                r.m_strItem[i] = items[i].substr(colon + 1);
                r.m_nItemLabel[i] = static_cast<std::uint8_t>(code);
            }
        }
        if (auto it = single.find("--default-item"); it != single.end()) {
            const auto n = ParseUnsigned(it->second);
            if (!n || *n < 1 || *n > 7)
                return "--default-item must be 1 to 7";
            r.m_nDefaultItem = static_cast<std::uint8_t>(*n - 1);
        }
        return {};
    }

    // Multi-line values keep CR LF: a bare LF from the command line becomes CR LF.
    static std::string WithCrLf(const std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
                out += '\r';
            out += text[i];
        }
        return out;
    }
};
