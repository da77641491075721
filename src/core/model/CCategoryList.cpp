#include "model/CCategoryList.h"
#include "model/CArchive.h"
#include "model/NoCase.h"

void CCategoryList::ResetToDefaults() {
    AddHead(std::string(kPersonal));
    AddHead(std::string(kBusiness));
    AddHead(std::string(kUnfiled));
}

std::uint16_t CCategoryList::IndexOf(std::string_view name) const {
    return Find(name).value_or(0);
}

std::optional<std::uint16_t> CCategoryList::Find(std::string_view name) const {
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (kb::EqualsNoCaseDecoded(m_list[i]->m_strName, name))
            return static_cast<std::uint16_t>(i);
    }
    return std::nullopt;
}

const std::string& CCategoryList::NameOf(std::size_t index) const {
    static const std::string unfiled(kUnfiled);
    if (index < m_list.size())
        return m_list[index]->m_strName;
    return unfiled;
}

std::vector<std::string> CCategoryList::FillComboNames() const {
    std::vector<std::string> names;
    names.reserve(m_list.size());
    for (const auto& c : m_list)
        names.push_back(c->m_strName);
    return names;
}

void CCategoryList::AddHead(std::string name) {
    m_list.insert(m_list.begin(), std::make_unique<CCategory>(std::move(name)));
}

void CCategoryList::AddTail(std::string name) {
    m_list.push_back(std::make_unique<CCategory>(std::move(name)));
}

void CCategoryList::SerializeCategories(CArchive& ar) {
    if (ar.IsStoring()) {
        const std::size_t stored = m_list.empty() ? 0 : m_list.size() - 1;
        ar.WriteCount(stored);
        for (std::size_t i = 1; i < m_list.size(); ++i) {
            ar.WriteObjectTag(kCategoryClass);
            m_list[i]->Serialize(ar);
        }
        return;
    }
    const std::uint32_t count = ar.ReadCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        ar.ReadObjectTag(kCategoryClass);
        auto category = std::make_unique<CCategory>();
        category->Serialize(ar);
        m_list.push_back(std::move(category));
    }
    AddHead(std::string(kUnfiled));
}
