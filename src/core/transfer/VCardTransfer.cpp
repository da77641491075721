#include "transfer/VCardTransfer.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CImportFiler.h"
#include "transfer/CTextDecoder.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include "transfer/ImportScan.h"
#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <unordered_map>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Files the cards as records, one at a time.
class CardFiler final : public IVCardSink {
public:
    CardFiler(CImportFiler& filer, const CCategoryList& categories, CRecordUids* uids,
              ImportResult& result)
        : m_filer(filer), m_categories(categories), m_uids(uids), m_result(result) {}

    bool OnCard(VCard& card) override {
        auto record = std::make_unique<CContactRecord>();
        VCardToRecord(std::move(card), *record, m_in); // the record keeps the card
        if (m_in.categories.size() == 1) {
            record->m_nCategory = CategoryOf(m_in.categories.front());
        } else if (!m_in.categories.empty()) {
            m_names.assign(m_in.categories.begin(), m_in.categories.end());
            record->m_nCategory = m_filer.CategoryFor(m_names);
        } else if (const auto fallback = m_filer.DefaultCategory()) {
            record->m_nCategory = *fallback;
        }
        if (m_in.categories.size() > 1) {
            // The names it is not filed under are its further groups.
            const std::string& filedUnder = m_categories.NameOf(record->m_nCategory);
            SetFurtherGroups(*record, m_in.categories,
                             kb::EqualsNoCase(filedUnder, kUnfiled) ? std::string()
                                                                    : kb::DecodeToUtf8(filedUnder));
        }
        // The filing rule numbers twins as the book requires, from the name itself.
        DropCardTwinNumber(*record);
        const CContactRecord* filed = m_filer.File(std::move(record));
        if (filed && m_uids && !m_in.uid.empty())
            m_uids->Set(*filed, m_in.uid); // refused when another record has it
        return m_filer.Step();
    }

    bool OnBadCard(int line, VCardFault) override {
        m_result.refusedLines.push_back(line);
        return m_filer.Step();
    }

private:
    // The category one name gives. Categories are only added during an import, so a name
    // always gives the same one; most cards repeat a few names.
    std::uint16_t CategoryOf(const std::string& name) {
        const auto known = m_categoryOf.find(name);
        if (known != m_categoryOf.end())
            return known->second;
        m_names.assign(1, name);
        const std::uint16_t index = m_filer.CategoryFor(m_names);
        m_categoryOf.emplace(name, index);
        return index;
    }

    CImportFiler& m_filer;
    const CCategoryList& m_categories;
    CRecordUids* m_uids;
    ImportResult& m_result;
    VCardFacts m_in;                       // of the card being filed, kept for its room
    std::vector<std::string_view> m_names; // a card's categories, kept for its room
    std::unordered_map<std::string, std::uint16_t> m_categoryOf;
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

constexpr char kBeginCard[] = "begin:vcard";
constexpr std::size_t kBeginCardLength = sizeof kBeginCard - 1;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Counts the lines of a chunk that begin with BEGIN:VCARD (any case). A line start is the
// chunk's first byte when lineStart says so, else a byte after a CR or LF; matched carries
// a line start cut by the end of a chunk over to the next.
class CardStarts {
public:
    int Count(const char* data, std::size_t n) {
        int count = 0;
        std::size_t from = 0;
        // A match cut by the end of the last chunk goes on; the bytes after it are looked at
        // as any others.
        while (m_matched > 0 && from < n) {
            if (kb::FoldAscii(data[from]) != kBeginCard[m_matched]) {
                m_matched = 0;
                break;
            }
            ++from;
            if (++m_matched == kBeginCardLength) {
                ++count;
                m_matched = 0;
            }
        }
        // Only a line beginning with 'b' can begin a card: those are found sixteen bytes at
        // a time where the processor allows, and looked at.
        std::size_t i = from;
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i lowerCase = _mm_set1_epi8(0x20);
        const __m128i b = _mm_set1_epi8('b');
        // Whether the byte before the block ends a line.
        unsigned afterEnd = i == 0 ? (m_lineStart ? 1u : 0u) : (IsLineEnd(data[i - 1]) ? 1u : 0u);
        // Each 16 bytes: a bit for each line end and each 'b'.
        const auto masks = [&](const char* at, std::uint32_t& ends, std::uint32_t& bs) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            ends = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
            bs = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(v, lowerCase), b)));
        };
        // Thirty-two bytes a round, then sixteen.
        for (std::size_t step = 32; step >= 16; step -= 16) {
            for (; i + step <= n; i += step) {
                std::uint32_t ends = 0;
                std::uint32_t bs = 0;
                masks(data + i, ends, bs);
                if (step == 32) {
                    std::uint32_t ends2 = 0;
                    std::uint32_t bs2 = 0;
                    masks(data + i + 16, ends2, bs2);
                    ends |= ends2 << 16;
                    bs |= bs2 << 16;
                }
                std::uint32_t starts = bs & ((ends << 1) | afterEnd);
                afterEnd = (ends >> (step - 1)) & 1u;
                for (; starts != 0; starts &= starts - 1)
                    count +=
                        Candidate(data, n, i + static_cast<std::size_t>(std::countr_zero(starts)));
            }
        }
#endif
        for (; i < n; ++i) {
            const bool start = i == 0 ? m_lineStart : IsLineEnd(data[i - 1]);
            if (start && kb::FoldAscii(data[i]) == 'b')
                count += Candidate(data, n, i);
        }
        m_lineStart = IsLineEnd(data[n - 1]);
        return count;
    }

private:
    // 1 when BEGIN:VCARD stands at the line start at, else 0 (and a match cut by the end of
    // the chunk is kept in m_matched).
    int Candidate(const char* data, std::size_t n, std::size_t at) {
        std::size_t k = 0;
        while (k < kBeginCardLength && at + k < n && kb::FoldAscii(data[at + k]) == kBeginCard[k])
            ++k;
        if (k == kBeginCardLength)
            return 1;
        if (at + k == n)
            m_matched = k;
        return 0;
    }

    bool m_lineStart = true;
    std::size_t m_matched = 0;
};

} // namespace

int FindTooLongCard(IByteSource& source) {
    struct Nothing final : IVCardSink {
        bool OnCard(VCard&) override { return true; }
        bool OnBadCard(int, VCardFault) override { return true; }
    } sink;
    CVCardReader reader(RawValues::Drop);
    reader.LimitSizes();
    std::vector<char> buffer(kChunk);
    while (const std::size_t n = source.Read(buffer.data(), buffer.size())) {
        if (!reader.Feed(buffer.data(), n, sink))
            break;
    }
    return reader.TooLongLine();
}

int CountVCards(IByteSource& source) {
    std::vector<char> buffer(kChunk);
    CardStarts starts;
    int count = 0;
    while (const std::size_t n = source.Read(buffer.data(), buffer.size()))
        count += starts.Count(buffer.data(), n);
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
    filer.Expect(static_cast<std::size_t>(std::max(cardCount, 0)));
    CardFiler sink(filer, categories, options.uids, result);
    CVCardReader reader(RawValues::Drop); // the cards are mapped to records and let go
    reader.LimitSizes();
    if (options.format.encoding == TextEncoding::Named)
        reader.SetDefaultCharset(options.format.charset);
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
    result.shortened = reader.ShortenedValues();
    result.charsetNotes = reader.CharsetNotes();
    if (reader.TooLongLine() != 0) {
        messageBox.Show(TooLongMessage(reader.TooLongLine(), true), kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::Incompatible;
        return result;
    }
    if (filer.cancelled) {
        result.outcome = ImportOutcome::Cancelled;
        return result;
    }
    progress.SetPosition(100);
    if (options.showFinish)
        ShowImportFinished(result, messageBox);
    return result;
}
