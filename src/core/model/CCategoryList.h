#pragma once
#include "model/CCategory.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CArchive;

// Reserved names of the category filter and the category dialogs.
inline constexpr std::string_view kUnfiled = "Unfiled";
inline constexpr std::string_view kBusiness = "Business";
inline constexpr std::string_view kPersonal = "Personal";
inline constexpr std::string_view kFilterAll = "All";
inline constexpr std::string_view kFilterEditCategories = "- Edit Categories";

// The ordered categories; position 0 is always "Unfiled". Lookups by name take the
// first case-insensitive match.
class CCategoryList {
public:
    CCategoryList() = default;
    CCategoryList(const CCategoryList&) = delete;
    CCategoryList& operator=(const CCategoryList&) = delete;
    CCategoryList(CCategoryList&&) = default;
    CCategoryList& operator=(CCategoryList&&) = default;

    // Puts "Personal", "Business", "Unfiled" each at the head, without emptying first.
    void ResetToDefaults();
    // Position of the first category named name (ignoring case); 0 when none.
    std::uint16_t IndexOf(std::string_view name) const;
    // Position of the first category named name (ignoring case), or nothing when there is
    // no such category.
    std::optional<std::uint16_t> Find(std::string_view name) const;
    // Name at index; "Unfiled" when index is not a position in the list.
    const std::string& NameOf(std::size_t index) const;
    void RemoveAll() { m_list.clear(); }
    // The names in list order, as FillCombo puts them into a drop-down.
    std::vector<std::string> FillComboNames() const;
    // Writes every category but the first ("Unfiled" is never stored), or reads the stored
    // ones, appending each as soon as it is complete, and then puts a fresh "Unfiled" at
    // the head.
    void SerializeCategories(CArchive& ar);

    std::size_t GetCount() const { return m_list.size(); }
    bool IsEmpty() const { return m_list.empty(); }
    CCategory& At(std::size_t i) { return *m_list.at(i); }
    const CCategory& At(std::size_t i) const { return *m_list.at(i); }
    void AddHead(std::string name);
    void AddTail(std::string name);
    void RemoveAt(std::size_t i) { m_list.erase(m_list.begin() + static_cast<std::ptrdiff_t>(i)); }

private:
    std::vector<std::unique_ptr<CCategory>> m_list;
};
