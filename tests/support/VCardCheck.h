#pragma once
// Reads a vCard file with Debian's python3-vobject (tests/support/vcard_check.py), an
// independent reader, and gives one line per card: family, given and formatted name,
// phones, e-mail addresses. ExpectedVobjectLines gives the same lines from the records
// that were written, so a test compares what another program finds with what we hold.
#include "TempDir.h"
#include "model/CContactRecord.h"
#include "model/CRecordList.h"
#include "model/TextDecode.h"
#include <cstdlib>
#include <string>
#include <vector>

inline std::vector<std::string> SplitCards(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\x1d', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Empty with a message in error when python3-vobject could not read the file. With
// properties, each card's line holds all its properties instead (vcard_check.py).
inline std::vector<std::string> VobjectLines(const std::string& vcfPath, std::string& error,
                                             bool properties = false) {
    TempDir dir;
    const std::string out = dir.File("out");
    const std::string err = dir.File("err");
    const std::string command =
        std::string("/usr/bin/python3 '") + KINBOOK_TEST_DATA_DIR + "/../support/vcard_check.py' " +
        (properties ? "--properties '" : "'") + vcfPath + "' >'" + out + "' 2>'" + err + "'";
    if (std::system(command.c_str()) != 0) {
        error = ReadFileBytes(err);
        return {};
    }
    return SplitCards(ReadFileBytes(out));
}

// Text as another program reads it back: UTF-8, line breaks as LF.
inline std::string AsRead(const std::string& bytes) {
    std::string s = kb::DecodeToUtf8(bytes);
    for (std::size_t i = s.find("\r\n"); i != std::string::npos; i = s.find("\r\n", i))
        s.erase(i, 1);
    return s;
}

// A last name without the twin number the filing rule gave it (" #2"), as cards carry it.
inline std::string TwinlessName(std::string last) {
    if (const std::size_t hash = last.rfind(" #");
        hash != std::string::npos && hash > 0 && hash + 2 < last.size() && last[hash + 2] != '0' &&
        last.find_first_not_of("0123456789", hash + 2) == std::string::npos)
        last.erase(hash);
    return last;
}

inline std::string ExpectedVobjectLine(const CContactRecord& r) {
    const std::string last = TwinlessName(AsRead(r.m_strLastName));
    const std::string first = AsRead(r.m_strFirstName);
    std::string fn = first.empty() ? last : last.empty() ? first : first + " " + last;
    if (fn.empty())
        fn = AsRead(r.m_strOtherRef);
    std::string tels;
    std::string mails;
    for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
        const CRecordText& text = r.m_strItem[i];
        if (text.empty())
            continue;
        const bool mail = r.m_nItemLabel[i] == LABEL_EMAIL ||
                          (r.m_nItemLabel[i] == LABEL_NONE && text.find('@') != std::string::npos);
        std::string& list = mail ? mails : tels;
        if (!list.empty())
            list += '\x1f';
        list += AsRead(text);
    }
    return last + '\x1f' + first + '\x1f' + fn + '\x1e' + tels + '\x1e' + mails;
}

inline std::vector<std::string> ExpectedVobjectLines(const CRecordList& records) {
    std::vector<std::string> lines;
    for (const auto& r : records)
        lines.push_back(ExpectedVobjectLine(*r));
    return lines;
}
