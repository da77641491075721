#pragma once
#include <string>

// One named filing group. Records name it by its position in the category list.
class CCategory {
public:
    CCategory() = default;
    explicit CCategory(std::string name) : m_strName(std::move(name)) {}
    std::string m_strName;
};
