// Any bytes as a file to import: format detection (encoding, separator, header row, known
// layouts), the counting scan, the preview and the import either read them or report the
// file as incompatible; nothing crashes, hangs or leaks, every record the import reports is
// in the book, and decoding in pieces gives what decoding the whole does.
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CTextDecoder.h"
#include "transfer/FileFormat.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Source final : public IByteSource {
public:
    explicit Source(const std::string& b) : m_b(b) {}
    size_t Read(char* buf, size_t size) override {
        const size_t k = std::min(size, m_b.size() - m_pos);
        std::memcpy(buf, m_b.data() + m_pos, k);
        m_pos += k;
        return k;
    }

private:
    const std::string& m_b;
    size_t m_pos = 0;
};

class OneFile final : public IFileSystem {
public:
    std::string bytes;
    std::unique_ptr<IByteSource> OpenRead(const std::string&) override {
        return std::make_unique<Source>(bytes);
    }
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override {
        throw CFileException(CFileException::AccessDenied, path);
    }
    bool Exists(const std::string&) override { return true; }
    bool Remove(const std::string&) override { return false; }
    std::optional<FileStamp> Stamp(const std::string&) override { return std::nullopt; }
    // One process and no disk: nobody else to keep out.
    std::unique_ptr<FileLock> LockForWriting(const std::string&,
                                             std::chrono::milliseconds) override {
        return std::make_unique<FileLock>();
    }
};

class QuietBox final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string&, const std::string&, MbIcon, MbButtons) override {
        ++shown;
        return MbResult::Ok;
    }
    int shown = 0;
};

class NoCancel final : public IProgress {
public:
    void SetPosition(int percent) override {
        if (percent < 0 || percent > 100)
            std::abort(); // the progress bar only knows 0..100
    }
    bool CancelRequested() override { return false; }
};

// The first byte picks the choices a user could make in the matching dialog.
ImportFormatChoice ChoiceFrom(uint8_t b) {
    static constexpr TextEncoding kEnc[] = {TextEncoding::Auto, TextEncoding::Utf8,
                                            TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                            TextEncoding::Cp1252};
    static constexpr Separator kSep[] = {Separator::Auto, Separator::TabComma,
                                         Separator::Semicolon};
    static constexpr HeaderChoice kHead[] = {HeaderChoice::Auto, HeaderChoice::Yes,
                                             HeaderChoice::No};
    ImportFormatChoice c;
    c.encoding = kEnc[b % 5];
    c.separator = kSep[(b / 5) % 3];
    c.header = kHead[(b / 15) % 3];
    return c;
}

void CheckDecoderPieces(const uint8_t* data, size_t size, TextEncoding encoding) {
    const char* p = reinterpret_cast<const char*>(data);
    std::string whole;
    CTextDecoder one(encoding);
    one.Decode(p, size, whole);
    one.Finish(whole);
    std::string pieces;
    CTextDecoder many(encoding);
    for (size_t at = 0; at < size;) {
        const size_t n = std::min<size_t>(size - at, 1 + (data[at] % 7));
        many.Decode(p + at, n, pieces);
        at += n;
    }
    many.Finish(pieces);
    if (whole != pieces)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Cp1252})
        CheckDecoderPieces(data, size, e);

    OneFile fs;
    fs.bytes.assign(reinterpret_cast<const char*>(data), size);
    QuietBox box;
    std::vector<char> buffer;
    const ImportFormatChoice choice = size > 0 ? ChoiceFrom(data[0]) : ImportFormatChoice{};
    const ScanResult scan = CountRecords("in.csv", fs, box, buffer, choice);
    if (scan.status == ScanStatus::Ok && scan.recordCount > 0)
        PreviewRecord("in.csv", 1 + static_cast<int>(size % 3), scan.recordCount, fs, box, buffer,
                      scan.format);

    // Import whatever the scan said, even 0 records: the progress must not divide by zero.
    CCategoryList categories;
    categories.ResetToDefaults();
    CRecordList records;
    NoCancel progress;
    CRecordUids uids;
    ImportOptions options;
    options.format = scan.format;
    options.uids = &uids; // a vCard file's UIDs
    options.createCategories = size > 1 && data[1] % 2;
    options.defaultCategory = size > 2 && data[2] % 2 ? "Personal" : "";
    if (scan.format.hasHeader)
        options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
    else
        options.rowNames = kImportRowOrder;
    if (size > 0 && data[0] % 2)
        options.rowNames.insert(options.rowNames.begin(), "** Skipped Field ** Notes");
    const ImportResult result =
        RunImport("in.csv", scan.recordCount, options, records, categories, fs, box, progress);
    if (result.imported < 0 || static_cast<size_t>(result.imported) != records.size())
        std::abort();
    for (const auto& r : records) {
        if (r->m_nCategory >= categories.GetCount())
            std::abort(); // a record filed under a category that does not exist
    }
    return 0;
}
