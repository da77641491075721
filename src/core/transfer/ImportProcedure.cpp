#include "transfer/ImportProcedure.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/FieldVocabulary.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CDelimitedTokenizer.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportScan.h"
#include <array>
#include <memory>

namespace {

constexpr std::uint8_t kNoColumn = 255;

// Builds one record per line and files it.
class RecordBuilder final : public ITokenConsumer {
public:
    RecordBuilder(std::vector<int> columnFields, CRecordList& records,
                  const CCategoryList& categories, IProgress& progress, int recordCount)
        : m_columnFields(std::move(columnFields)), m_filer(records), m_categories(categories),
          m_progress(progress),
          // An empty or unreadable file has no records to pace the bar by.
          m_step(recordCount > 0 ? 100.0f / static_cast<float>(recordCount) : 0.0f) {
        Start();
    }

    bool OnField(std::string_view value, int column) override {
        if (column >= 0 && static_cast<std::size_t>(column) < m_columnFields.size()) {
            const int f = m_columnFields[static_cast<std::size_t>(column)];
            if (f >= 0)
                Store(static_cast<Field>(f), value);
        }
        return true;
    }

    bool OnRecordEnd() override {
        AddRecord();
        ++imported;
        m_accumulator += m_step;
        m_progress.SetPosition(m_accumulator >= 100.0f ? 100 : static_cast<int>(m_accumulator));
        if (!finishing && m_progress.CancelRequested()) {
            cancelled = true;
            return false;
        }
        Start();
        return true;
    }

    // Puts the records filed so far into the list.
    void Flush() { m_filer.Flush(); }

    int imported = 0;
    bool cancelled = false;
    bool finishing = false;

private:
    void Start() {
        m_record = std::make_unique<CContactRecord>();
        m_nextItem = 0;
    }

    void Store(Field f, std::string_view v) {
        CContactRecord& r = *m_record;
        if (f == Field::Category) {
            if (kb::EqualsNoCase(v, kFilterAll) || kb::EqualsNoCase(v, kFilterEditCategories))
                r.m_nCategory = 0;
            else
                r.m_nCategory = m_categories.IndexOf(v);
            return;
        }
        const std::uint8_t label = transfer::ItemLabelOf(f);
        if (label != LABEL_NONE) {
            // Items fill in column order, whatever their labels; the eighth is dropped.
            if (v.empty() || m_nextItem >= CContactRecord::kItemCount)
                return;
            r.m_strItem[static_cast<std::size_t>(m_nextItem)].assign(v);
            r.m_nItemLabel[static_cast<std::size_t>(m_nextItem)] = label;
            ++m_nextItem;
            return;
        }
        transfer::TextMember(r, f)->assign(v);
    }

    void AddRecord() {
        CContactRecord& r = *m_record;
        if (r.m_strLastName.empty()) {
            if (!r.m_strFirstName.empty())
                r.m_strLastName.swap(r.m_strFirstName);
            else if (!r.m_strOtherRef.empty())
                r.m_strLastName.swap(r.m_strOtherRef);
            else
                r.m_strLastName = "Unnamed";
        }
        m_filer.File(std::move(m_record));
    }

    std::vector<int> m_columnFields;
    CRecordFiler m_filer; // writes the filed records back into the list when it goes
    const CCategoryList& m_categories;
    IProgress& m_progress;
    float m_step;
    float m_accumulator = 0.0f;
    std::unique_ptr<CContactRecord> m_record;
    int m_nextItem = 0;
};

// Column -> field, from the rows of the matching list; only the first 255 rows count.
std::vector<int> MapColumns(const std::vector<std::string>& rowNames, IMessageBox& box) {
    std::array<std::uint8_t, kFieldCount> rowOf;
    rowOf.fill(kNoColumn);
    const std::size_t rows = rowNames.size() < kNoColumn ? rowNames.size() : kNoColumn;
    for (std::size_t i = 0; i < rows; ++i) {
        const std::string& name = rowNames[i];
        if (name.empty() || name[0] == '*')
            continue;
        const int f = transfer::ResolveField(name);
        if (f < 0) {
            box.Show("Invalid Category.", kAppTitle, MbIcon::None, MbButtons::Ok);
            continue;
        }
        rowOf[static_cast<std::size_t>(f)] = static_cast<std::uint8_t>(i);
    }
    std::vector<int> columnFields(rows, -1);
    // Names are tried in vocabulary order: the first that has the column decides.
    for (int f = kFieldCount - 1; f >= 0; --f) {
        const std::uint8_t row = rowOf[static_cast<std::size_t>(f)];
        if (row != kNoColumn)
            columnFields[row] = f;
    }
    return columnFields;
}

} // namespace

ImportResult RunImport(const std::string& path, int recordCount,
                       const std::vector<std::string>& rowNames, CRecordList& records,
                       const CCategoryList& categories, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress) {
    ImportResult result;
    std::vector<int> columnFields = MapColumns(rowNames, messageBox);
    std::unique_ptr<IByteSource> source;
    try {
        source = fileSystem.OpenRead(path);
    } catch (const CFileException&) {
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }

    RecordBuilder builder(std::move(columnFields), records, categories, progress, recordCount);
    CDelimitedTokenizer tokenizer;
    std::vector<char> buffer(CDelimitedTokenizer::kChunkSize);
    TokenizeResult r = TokenizeResult::Continue;
    try {
        while (r == TokenizeResult::Continue) {
            const std::size_t n = source->Read(buffer.data(), buffer.size());
            if (n == 0) {
                builder.finishing = true;
                r = tokenizer.Finish(builder);
            } else {
                r = tokenizer.Feed(buffer.data(), n, builder);
            }
        }
    } catch (const CFileException&) {
        // A drive that fails midway: keep what was filed, say the file could not be read.
        builder.Flush();
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.imported = builder.imported;
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }
    builder.Flush();
    result.imported = builder.imported;
    if (r == TokenizeResult::Incompatible) {
        messageBox.Show(kIncompatibleText, kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
        result.outcome = ImportOutcome::Incompatible;
        return result;
    }
    if (builder.cancelled) {
        result.outcome = ImportOutcome::Cancelled;
        return result;
    }
    progress.SetPosition(100);
    messageBox.Show(std::to_string(result.imported) + " records imported.", "Import Complete",
                    MbIcon::Information, MbButtons::Ok);
    return result;
}
