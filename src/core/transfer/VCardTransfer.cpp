#include "transfer/VCardTransfer.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CImportFiler.h"
#include "transfer/CTextDecoder.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include "transfer/ImportScan.h"
#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Files the cards as records, one at a time.
class CardFiler final : public IVCardSink {
public:
    CardFiler(CImportFiler& filer, CRecordUids* uids, ImportResult& result)
        : m_filer(filer), m_uids(uids), m_result(result) {}

    bool OnCard(VCard& card) override {
        VCardRecord in = VCardToRecord(card);
        auto record = std::make_unique<CContactRecord>(std::move(in.record));
        if (!in.categories.empty()) {
            m_names.assign(in.categories.begin(), in.categories.end());
            record->m_nCategory = m_filer.CategoryFor(m_names);
        } else if (const auto fallback = m_filer.DefaultCategory()) {
            record->m_nCategory = *fallback;
        }
        const CContactRecord* filed = m_filer.File(std::move(record));
        if (filed && m_uids && !in.uid.empty())
            m_uids->Set(*filed, in.uid); // refused when another record has it
        for (std::string& b : in.binaries)
            m_result.binaries.push_back(std::move(b));
        return m_filer.Step();
    }

    bool OnBadCard(int line, VCardFault) override {
        m_result.refusedLines.push_back(line);
        return m_filer.Step();
    }

private:
    CImportFiler& m_filer;
    CRecordUids* m_uids;
    ImportResult& m_result;
    std::vector<std::string_view> m_names; // a card's categories, kept for its room
};

// The bytes of a file as the vCard reader takes them: UTF-16 turned into UTF-8, anything
// else as it stands (each value says its charset).
std::unique_ptr<IByteSource> OpenCards(const std::string& path, IFileSystem& fileSystem,
                                       TextEncoding encoding, std::unique_ptr<IByteSource>& raw) {
    raw = fileSystem.OpenRead(path);
    if (encoding != TextEncoding::Utf16LE && encoding != TextEncoding::Utf16BE)
        return nullptr;
    return std::make_unique<CDecodingSource>(*raw, encoding);
}

} // namespace

namespace {

const char* Find(const char* from, const char* end, char c) {
    const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return at ? static_cast<const char*>(at) : end;
}

} // namespace

int CountVCards(IByteSource& source) {
    static constexpr char kBegin[] = "begin:vcard";
    constexpr std::size_t kLen = sizeof kBegin - 1;
    std::vector<char> buffer(kChunk);
    int count = 0;
    std::size_t matched = 0; // bytes of kBegin matched at the start of the current line
    bool inLineStart = true; // still within the first kLen bytes of a line, all matching
    while (const std::size_t n = source.Read(buffer.data(), buffer.size())) {
        const char* p = buffer.data();
        const char* end = p + n;
        const char* cr = nullptr; // the next CR at or after p, or end; null: not looked for
        const char* lf = nullptr;
        while (p < end) {
            if (inLineStart) {
                const char c = kb::FoldAscii(*p++);
                if (c == '\n' || c == '\r') {
                    matched = 0;
                } else if (c == kBegin[matched]) {
                    if (++matched == kLen) {
                        ++count;
                        inLineStart = false;
                    }
                } else {
                    inLineStart = false;
                }
                continue;
            }
            // The rest of the line: only its end matters. Each kind of line end is looked
            // for with memchr and the answer kept until it is passed.
            if (!cr || cr < p)
                cr = Find(p, end, '\r');
            if (!lf || lf < p)
                lf = Find(p, end, '\n');
            p = cr < lf ? cr : lf;
            if (p < end) {
                ++p;
                inLineStart = true;
                matched = 0;
            }
        }
    }
    return count;
}

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

ExportResult RunVCardExport(const CRecordList& records, const CCategoryList& categories,
                            CRecordUids& uids, const VCardExportRequest& request,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress) {
    ExportResult result;
    auto inCategory = [&](const CContactRecord& r) { return request.category.Includes(r); };
    int n = 0;
    for (const auto& r : records)
        n += inCategory(*r) ? 1 : 0;
    if (n < 1) {
        messageBox.Show("There are no records in the choosen category to export.", "Nothing to Do",
                        MbIcon::Information, MbButtons::Ok);
        result.outcome = ExportOutcome::NothingToDo;
        return result;
    }
    std::unique_ptr<IByteSink> sink = OpenExportFile(request.path, fileSystem, messageBox, result);
    if (!sink)
        return result;

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

ImportResult RunVCardImport(const std::string& path, int cardCount, const ImportOptions& options,
                            CRecordList& records, CCategoryList& categories,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress) {
    ImportResult result;
    std::unique_ptr<IByteSource> raw;
    std::unique_ptr<IByteSource> decoded;
    try {
        decoded = OpenCards(path, fileSystem, options.format.encoding, raw);
    } catch (const CFileException&) {
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }
    IByteSource& source = decoded ? *decoded : *raw;

    if (options.uids)
        options.uids->Reserve(records.size() + static_cast<std::size_t>(std::max(cardCount, 0)));
    CImportFiler filer(options, records, categories, progress, cardCount);
    CardFiler sink(filer, options.uids, result);
    CVCardReader reader;
    std::vector<char> buffer(kChunk);
    try {
        bool going = true;
        while (going) {
            const std::size_t n = source.Read(buffer.data(), buffer.size());
            going = n == 0 ? (reader.Finish(sink), false) : reader.Feed(buffer.data(), n, sink);
        }
    } catch (const CFileException&) {
        // A drive that fails midway: keep what was filed, say the file could not be read.
        filer.FinishInto(result);
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }
    filer.FinishInto(result);
    if (filer.cancelled) {
        result.outcome = ImportOutcome::Cancelled;
        return result;
    }
    progress.SetPosition(100);
    ShowImportFinished(result, messageBox);
    return result;
}
