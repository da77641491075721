#pragma once
#include "port/IProgress.h"
#include <string>
#include <vector>

// Nobody presses Cancel on the command line.
class NoProgress final : public IProgress {
public:
    void SetPosition(int) override {}
    bool CancelRequested() override { return false; }
};

// "Last Name, First Name,,Notes" -> the names, blanks around each removed, empty ones kept.
inline std::vector<std::string> SplitFieldList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = list.find(',', from);
        std::string name =
            list.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const std::size_t b = name.find_first_not_of(" \t");
        const std::size_t e = name.find_last_not_of(" \t");
        names.push_back(b == std::string::npos ? std::string() : name.substr(b, e - b + 1));
        if (comma == std::string::npos)
            return names;
        from = comma + 1;
    }
}
