#pragma once
#include <string>

class CArchive;

// One named filing group. Records name it by its position in the category list.
class CCategory {
public:
    CCategory() = default;
    explicit CCategory(std::string name) : m_strName(std::move(name)) {}
    // Writes the name to the data file or reads it from it.
    void Serialize(CArchive& ar);
    std::string m_strName;
};
