#include "transfer/VCardTransfer.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include "transfer/ImportScan.h"
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::string JoinWithAnd(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += i + 1 == parts.size() ? " and " : ", ";
        out += parts[i];
    }
    return out;
}

// How many cards a file holds, to pace the bar: lines that begin with BEGIN:VCARD.
int CountCards(IByteSource& source) {
    static constexpr char kBegin[] = "begin:vcard";
    constexpr std::size_t kLen = sizeof kBegin - 1;
    std::vector<char> buffer(kChunk);
    int count = 0;
    std::size_t matched = 0; // bytes of kBegin matched at the start of the current line
    bool lineStart = true;
    while (const std::size_t n = source.Read(buffer.data(), buffer.size())) {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = kb::FoldAscii(buffer[i]);
            if (c == '\n' || c == '\r') {
                lineStart = true;
                matched = 0;
                continue;
            }
            if (lineStart && matched < kLen && c == kBegin[matched]) {
                if (++matched == kLen) {
                    ++count;
                    lineStart = false;
                }
                continue;
            }
            lineStart = false;
        }
    }
    return count;
}

// Files the cards as records, one at a time.
class CardFiler final : public IVCardSink {
public:
    CardFiler(CRecordList& records, CCategoryList& categories, CRecordUids* uids,
              IProgress& progress, int cardCount, VCardImportResult& result)
        : m_filer(records), m_categories(categories), m_uids(uids), m_progress(progress),
          m_step(cardCount > 0 ? 100.0f / static_cast<float>(cardCount) : 0.0f), m_result(result) {}

    bool OnCard(VCard& card) override {
        VCardRecord in = VCardToRecord(card);
        auto record = std::make_unique<CContactRecord>(std::move(in.record));
        record->m_nCategory = CategoryFor(in.categories);
        const CContactRecord* filed = record.get();
        m_filer.File(std::move(record));
        if (m_uids && !in.uid.empty())
            m_uids->Set(*filed, in.uid); // refused when another record has it
        ++m_result.imported;
        m_result.binaries.insert(m_result.binaries.end(), in.binaries.begin(), in.binaries.end());
        return Step();
    }

    bool OnBadCard(int line, VCardFault) override {
        m_result.refusedLines.push_back(line);
        return Step();
    }

    void Flush() { m_filer.Flush(); }
    bool cancelled = false;

private:
    bool Step() {
        m_accumulator += m_step;
        m_progress.SetPosition(m_accumulator >= 100.0f ? 100 : static_cast<int>(m_accumulator));
        if (m_progress.CancelRequested()) {
            cancelled = true;
            return false;
        }
        return true;
    }

    std::uint16_t CategoryFor(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            if (kb::EqualsNoCase(name, kUnfiled))
                return 0;
            if (kb::EqualsNoCase(name, kFilterAll) || kb::EqualsNoCase(name, kFilterEditCategories))
                continue; // never a category
            const std::uint16_t index = m_categories.IndexOf(name);
            if (index != 0)
                return index;
            if (m_categories.GetCount() >= 0xFFFF)
                continue;
            m_categories.AddTail(name);
            m_result.createdCategories.push_back(name);
            return static_cast<std::uint16_t>(m_categories.GetCount() - 1);
        }
        return 0;
    }

    CRecordFiler m_filer;
    CCategoryList& m_categories;
    CRecordUids* m_uids;
    IProgress& m_progress;
    float m_step;
    float m_accumulator = 0.0f;
    VCardImportResult& m_result;
};

} // namespace

bool IsVCardVariant(const std::string& variantText) {
    return kb::EqualsNoCase(variantText, kVariantVCard40Name) ||
           kb::EqualsNoCase(variantText, kVariantVCard30Name);
}

VCardVersion VCardVersionOf(const std::string& variantText) {
    return kb::EqualsNoCase(variantText, kVariantVCard30Name) ? VCardVersion::V30
                                                              : VCardVersion::V40;
}

std::string PathForVCard(const std::string& path) {
    const std::string current = ExtensionOf(path);
    if (current.empty())
        return path + ".vcf";
    return path.substr(0, path.size() - current.size()) + "vcf";
}

bool LooksLikeVCard(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF")
        head.remove_prefix(3);
    while (!head.empty() && (head.front() == ' ' || head.front() == '\t' || head.front() == '\r' ||
                             head.front() == '\n'))
        head.remove_prefix(1);
    return kb::StartsWithNoCase(head, "BEGIN:VCARD");
}

bool IsVCardFile(const std::string& path, IFileSystem& fileSystem) {
    try {
        auto source = fileSystem.OpenRead(path);
        std::string head;
        char buffer[512];
        while (head.size() < 4096) {
            const std::size_t n = source->Read(buffer, sizeof buffer);
            if (n == 0)
                break;
            head.append(buffer, n);
            // Enough once something other than blank lines was read.
            if (head.find_first_not_of(" \t\r\n\xEF\xBB\xBF") != std::string::npos &&
                head.size() >= 16)
                break;
        }
        return LooksLikeVCard(head);
    } catch (const CFileException&) {
        return false;
    }
}

ExportResult RunVCardExport(const CRecordList& records, const CCategoryList& categories,
                            CRecordUids& uids, const VCardExportRequest& request,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress) {
    ExportResult result;
    auto inCategory = [&](const CContactRecord& r) {
        return request.nCategory == -1 || r.m_nCategory == request.nCategory;
    };
    int n = 0;
    for (const auto& r : records)
        n += inCategory(*r) ? 1 : 0;
    if (n < 1) {
        messageBox.Show("There are no records in the choosen category to export.", "Nothing to Do",
                        MbIcon::Information, MbButtons::Ok);
        result.outcome = ExportOutcome::NothingToDo;
        return result;
    }
    if (fileSystem.Exists(request.path) &&
        messageBox.Show("The file " + request.path + " already exists, overwrite it?",
                        "Overwrite Confirmation", MbIcon::Question,
                        MbButtons::YesNo) != MbResult::Yes) {
        result.outcome = ExportOutcome::Declined;
        return result;
    }
    std::unique_ptr<IByteSink> sink;
    try {
        sink = fileSystem.CreateAtomic(request.path);
    } catch (const CFileException&) {
        messageBox.Show(request.path +
                            " could not be written to.  Make sure the file or drive is not "
                            "write protected.",
                        "Drive Error", MbIcon::Stop, MbButtons::Ok);
        result.outcome = ExportOutcome::NotWritable;
        return result;
    }

    const float step = 100.0f / static_cast<float>(n);
    float accumulator = 0.0f;
    std::string out;
    out.reserve(kChunk + 4096);
    try {
        for (const auto& r : records) {
            if (progress.CancelRequested()) {
                // The cards written so far stay on disk, as with delimited text.
                sink->Write(out.data(), out.size());
                sink->Commit();
                result.outcome = ExportOutcome::Cancelled;
                return result;
            }
            if (!inCategory(*r))
                continue;
            ++result.written;
            CVCardWriter::AppendCard(RecordToVCard(*r, categories, uids.UidOf(*r), request.version),
                                     out);
            if (out.size() >= kChunk) {
                sink->Write(out.data(), out.size());
                out.clear();
            }
            accumulator += step;
            progress.SetPosition(accumulator >= 100.0f ? 100 : static_cast<int>(accumulator));
        }
        sink->Write(out.data(), out.size());
        progress.SetPosition(100);
        sink->Commit();
    } catch (const CFileException& e) {
        // Dropping the sink uncommitted leaves nothing new under the path.
        messageBox.Show(e.m_cause == CFileException::DiskFull
                            ? "The destination drive is out of disk space.  This export "
                              "operation will be canceled."
                            : "An error occured while writing to the destination drive.  This "
                              "export operation will be canceled.",
                        "Disk Error", MbIcon::None, MbButtons::Ok);
        result.outcome = ExportOutcome::Failed;
        return result;
    }
    messageBox.Show(std::to_string(result.written) + " records exported.", "Export Complete",
                    MbIcon::Information, MbButtons::Ok);
    return result;
}

std::string VCardImportMessage(const VCardImportResult& result) {
    std::string text = std::to_string(result.imported) + " records imported.";
    if (!result.binaries.empty()) {
        // "1 photo", "2 logos": each kind once, in the order met.
        std::vector<std::string> kinds;
        std::vector<int> counts;
        for (const std::string& b : result.binaries) {
            std::size_t k = 0;
            while (k < kinds.size() && kinds[k] != b)
                ++k;
            if (k == kinds.size()) {
                kinds.push_back(b);
                counts.push_back(0);
            }
            ++counts[k];
        }
        std::vector<std::string> parts;
        for (std::size_t k = 0; k < kinds.size(); ++k)
            parts.push_back(std::to_string(counts[k]) + " " + kinds[k] +
                            (counts[k] == 1 ? "" : "s"));
        text += " " + JoinWithAnd(parts) +
                (result.binaries.size() == 1 ? " was not imported." : " were not imported.");
    }
    const std::size_t refused = result.refusedLines.size();
    if (refused > 0) {
        constexpr std::size_t kListed = 10;
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < refused && i < kListed; ++i)
            lines.push_back(std::to_string(result.refusedLines[i]));
        if (refused > kListed)
            lines.push_back("more");
        text +=
            " " + std::to_string(refused) +
            (refused == 1 ? " card could not be read (line " : " cards could not be read (lines ") +
            JoinWithAnd(lines) + ").";
    }
    return text;
}

VCardImportResult RunVCardImport(const std::string& path, CRecordList& records,
                                 CCategoryList& categories, CRecordUids* uids,
                                 IFileSystem& fileSystem, IMessageBox& messageBox,
                                 IProgress& progress) {
    VCardImportResult result;
    int cardCount = 0;
    std::unique_ptr<IByteSource> source;
    try {
        cardCount = CountCards(*fileSystem.OpenRead(path));
        source = fileSystem.OpenRead(path);
    } catch (const CFileException&) {
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }

    CardFiler filer(records, categories, uids, progress, cardCount, result);
    CVCardReader reader;
    std::vector<char> buffer(kChunk);
    try {
        bool going = true;
        while (going) {
            const std::size_t n = source->Read(buffer.data(), buffer.size());
            going = n == 0 ? (reader.Finish(filer), false) : reader.Feed(buffer.data(), n, filer);
        }
    } catch (const CFileException&) {
        // A drive that fails midway: keep what was filed, say the file could not be read.
        filer.Flush();
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }
    filer.Flush();
    if (filer.cancelled) {
        result.outcome = ImportOutcome::Cancelled;
        return result;
    }
    progress.SetPosition(100);
    messageBox.Show(VCardImportMessage(result), "Import Complete",
                    result.refusedLines.empty() ? MbIcon::Information : MbIcon::Exclamation,
                    MbButtons::Ok);
    return result;
}
