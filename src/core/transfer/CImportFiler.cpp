#include "transfer/CImportFiler.h"
#include "model/CCategoryList.h"
#include "model/FieldVocabulary.h"
#include "model/NoCase.h"
#include "port/IProgress.h"
#include "transfer/ImportProcedure.h"

namespace {

constexpr std::size_t kCategoryNameMax = 255;

// The last name without the " #k" the filing rule gives a twin: a twin filed by an
// earlier import must be found again when the same file is imported once more.
std::string_view WithoutTwinNumber(std::string_view last) {
    std::size_t i = last.size();
    while (i > 0 && last[i - 1] >= '0' && last[i - 1] <= '9')
        --i;
    if (i < last.size() && i >= 2 && last[i - 1] == '#' && last[i - 2] == ' ')
        return last.substr(0, i - 2);
    return last;
}

// What makes two records the same contact: every value, the category included.
std::string RecordKey(const CContactRecord& r) {
    std::string key;
    key.reserve(256);
    auto put = [&key](std::string_view v) {
        key += std::to_string(v.size());
        key += ':';
        key += v;
    };
    put(r.m_strFirstName);
    put(WithoutTwinNumber(r.m_strLastName));
    put(r.m_strTitle);
    put(r.m_strOtherRef);
    key += std::to_string(r.m_nCategory) + ";";
    for (int i = 0; i < CContactRecord::kItemCount; ++i) {
        put(r.m_strItem[static_cast<std::size_t>(i)]);
        key += std::to_string(r.m_nItemLabel[static_cast<std::size_t>(i)]) + ";";
    }
    put(r.m_strAddress);
    put(r.m_strCity);
    put(r.m_strState);
    put(r.m_strZip);
    put(r.m_strCountry);
    for (const std::string& o : r.m_strOtherInfo)
        put(o);
    put(r.m_strNotes);
    return key;
}

bool IsSystemGroup(std::string_view name) {
    return name[0] == '*' || kb::StartsWithNoCase(name, "System Group:");
}

} // namespace

CImportFiler::CImportFiler(const ImportOptions& options, CRecordList& records,
                           CCategoryList& categories, IProgress& progress, int recordCount)
    : m_options(options), m_filer(records), m_categories(categories), m_progress(progress),
      // An empty or unreadable file has no records to pace the bar by.
      m_step(recordCount > 0 ? 100.0f / static_cast<float>(recordCount) : 0.0f) {
    if (!options.defaultCategory.empty())
        m_nDefaultCategory = categories.IndexOf(options.defaultCategory);
    if (options.skipDuplicates) {
        m_keys.reserve(records.size());
        for (const auto& r : records)
            m_keys.insert(RecordKey(*r));
    }
}

std::uint16_t CImportFiler::CategoryFor(const std::vector<std::string_view>& names) {
    for (std::string_view name : names) {
        if (name.empty() || IsSystemGroup(name))
            continue;
        if (kb::EqualsNoCase(name, kUnfiled))
            return 0;
        if (kb::EqualsNoCase(name, kFilterAll) || kb::EqualsNoCase(name, kFilterEditCategories) ||
            name.size() > kCategoryNameMax)
            continue; // never a category
        if (const std::uint16_t found = m_categories.IndexOf(name); found != 0)
            return found;
        if (!m_options.createCategories || m_categories.GetCount() >= 0xFFFF)
            continue;
        m_categories.AddTail(std::string(name));
        ++categoriesCreated;
        return static_cast<std::uint16_t>(m_categories.GetCount() - 1);
    }
    return m_nDefaultCategory.value_or(0);
}

const CContactRecord* CImportFiler::File(std::unique_ptr<CContactRecord> record) {
    if (m_options.skipDuplicates && !m_keys.insert(RecordKey(*record)).second) {
        ++duplicates;
        return nullptr;
    }
    const CContactRecord* filed = record.get();
    m_filer.File(std::move(record));
    ++imported;
    return filed;
}

bool CImportFiler::Step() {
    m_accumulator += m_step;
    m_progress.SetPosition(m_accumulator >= 100.0f ? 100 : static_cast<int>(m_accumulator));
    if (m_progress.CancelRequested()) {
        cancelled = true;
        return false;
    }
    return true;
}
