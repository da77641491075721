#include "transfer/CImportFiler.h"
#include "model/CCategoryList.h"
#include "model/CategoryRule.h"
#include "model/CRecordExtras.h"
#include "model/FieldVocabulary.h"
#include "model/NoCase.h"
#include "model/RecordFields.h"
#include "port/IProgress.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportProcedure.h"
#include <algorithm>
#include <cstring>

namespace {

bool SameExtras(const CContactRecord& a, const CContactRecord& b) {
    const CRecordExtras* x = a.Extras();
    const CRecordExtras* y = b.Extras();
    if (!x || !y)
        return (!x || x->Empty()) && (!y || y->Empty());
    return *x == *y;
}

// What makes two records the same contact: every value, the category included, the last
// name without a twin number, and what the record keeps besides its fields (two contacts
// with the same name and different birthdays are two). The default item is no value of the
// contact.
bool SameRecord(const CContactRecord& a, const CContactRecord& b, std::string_view lastOfB) {
    if (transfer::WithoutTwinNumber(a.m_strLastName) != transfer::WithoutTwinNumber(lastOfB))
        return false;
    const auto mine = a.Texts();
    const auto theirs = b.Texts();
    for (const FieldInfo& info : kRecordFields) {
        const RecordField f = info.field;
        if (f == RecordField::LastName || f == RecordField::DefaultItem)
            continue;
        const auto i = static_cast<std::size_t>(f);
        if (IsText(f) ? mine[i] != theirs[i] : a.Number(f) != b.Number(f))
            return false;
    }
    return SameExtras(a, b);
}

std::uint64_t HashStep(std::uint64_t h, std::uint64_t value) {
    h = (h ^ value) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
}

std::uint64_t HashText(std::uint64_t h, std::string_view text) {
    h = HashStep(h, text.size());
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        h = HashStep(h, word);
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, text.size() - i);
        h = HashStep(h, word);
    }
    return h;
}

// A hash of what SameRecord compares: the last name without its twin number, then every
// other text. Those lie back to back in the record's block, before and after the last name,
// so they are hashed as two runs of bytes with their lengths.
std::uint64_t RecordHash(const CContactRecord& r) {
    const auto texts = r.Texts();
    constexpr auto kLast = static_cast<std::size_t>(RecordField::LastName);
    const std::string_view last = texts[kLast];
    std::uint64_t h = HashText(0, transfer::WithoutTwinNumber(last));
    std::uint64_t lengths = 0;
    for (std::size_t f = 0, n = 0; f < texts.size(); ++f) {
        if (f == kLast)
            continue;
        lengths = (lengths << 16) | (texts[f].size() & 0xFFFF);
        if (++n % 4 == 0)
            h = HashStep(h, lengths);
    }
    h = HashStep(h, lengths);
    const char* begin = texts.front().data();
    const char* end = texts.back().data() + texts.back().size();
    h = HashText(h, std::string_view(begin, static_cast<std::size_t>(last.data() - begin)));
    h = HashText(h, std::string_view(last.data() + last.size(),
                                     static_cast<std::size_t>(end - (last.data() + last.size()))));
    std::uint64_t labels = 0;
    static_assert(sizeof r.m_nItemLabel < sizeof labels);
    std::memcpy(&labels, r.m_nItemLabel.data(), sizeof r.m_nItemLabel);
    return HashStep(HashStep(h, labels), r.m_nCategory);
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
        m_seen.Reserve(records.size());
        m_seenRecords.reserve(records.size());
        for (const auto& r : records)
            Remember(*r, RecordHash(*r), r->m_strLastName.size());
    }
}

void CImportFiler::Expect(std::size_t records) {
    m_filer.Reserve(records);
    if (m_options.skipDuplicates) {
        m_seen.Reserve(m_seenRecords.size() + records);
        m_seenRecords.reserve(m_seenRecords.size() + records);
    }
}

std::uint16_t CImportFiler::CategoryFor(const std::vector<std::string_view>& names) {
    bool created = false;
    const auto index =
        CategoryRule::FindOrCreate(m_categories, names, m_options.createCategories, &created);
    if (created)
        ++categoriesCreated;
    return index ? *index : m_nDefaultCategory.value_or(0);
}

CImportFiler::Coming CImportFiler::Announce(std::unique_ptr<CContactRecord> record) const {
    // Both tables are looked up at random: their slots are asked for now, so that the two
    // waits for memory overlap, with each other and with whatever is done before the lookups.
    Coming coming;
    if (m_options.skipDuplicates) {
        coming.hash = RecordHash(*record);
        m_seen.Prefetch(coming.hash);
    }
    coming.announced = m_filer.Expecting(*record);
    coming.record = std::move(record);
    return coming;
}

const CContactRecord* CImportFiler::File(std::unique_ptr<CContactRecord> record) {
    return File(Announce(std::move(record)));
}

void CImportFiler::FileNext(std::unique_ptr<CContactRecord> record) {
    Coming coming = Announce(std::move(record));
    FileKept();
    m_next = std::move(coming);
}

void CImportFiler::FileKept() {
    if (m_next.record)
        File(std::move(m_next));
}

const CContactRecord* CImportFiler::File(Coming coming) {
    std::unique_ptr<CContactRecord> record = std::move(coming.record);
    if (m_options.skipDuplicates && Known(*record, coming.hash)) {
        ++duplicates;
        return nullptr;
    }
    const CContactRecord* filed = record.get();
    const std::size_t lastLength = filed->m_strLastName.size();
    m_filer.File(std::move(record), coming.announced);
    if (m_options.skipDuplicates)
        Remember(*filed, coming.hash, lastLength);
    ++imported;
    return filed;
}

CImportFiler::~CImportFiler() {
    try {
        FileKept();
    } catch (...) {
        // Out of memory while filing the last record: the records filed before it stay.
    }
}

void CImportFiler::Flush() {
    FileKept();
    m_filer.Flush();
}

void CImportFiler::Remember(const CContactRecord& r, std::uint64_t hash, std::size_t lastLength) {
    m_seen.Insert(hash, static_cast<std::uint32_t>(m_seenRecords.size()));
    m_seenRecords.push_back(SeenRecord{&r, lastLength});
}

bool CImportFiler::Known(const CContactRecord& r, std::uint64_t hash) const {
    return m_seen.Find(hash, [&](std::uint32_t index) {
        const SeenRecord& seen = m_seenRecords[index];
        return SameRecord(r, *seen.record,
                          std::string_view(seen.record->m_strLastName).substr(0, seen.lastLength));
    }) != CProbeIndex::kNone;
}

void CImportFiler::FinishInto(ImportResult& result) {
    Flush();
    result.imported = imported;
    result.duplicates = duplicates;
    result.categoriesCreated = categoriesCreated;
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
