// Any bytes as a delimited file: the counting scan, the preview and the import either
// read them or report the file as incompatible; nothing crashes, hangs or leaks, and
// every record the import reports is in the book.
#include "model/CCategoryList.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneFile fs;
    fs.bytes.assign(reinterpret_cast<const char*>(data), size);
    QuietBox box;
    std::vector<char> buffer;
    const ScanResult scan = CountRecords("in.csv", fs, box, buffer);
    if (scan.status == ScanStatus::Ok && scan.recordCount > 0)
        PreviewRecord("in.csv", 1 + static_cast<int>(size % 3), scan.recordCount, fs, box, buffer);

    // Import whatever the scan said, even 0 records: the progress must not divide by zero.
    CCategoryList categories;
    categories.ResetToDefaults();
    CRecordList records;
    NoCancel progress;
    std::vector<std::string> rows = kImportRowOrder;
    if (size > 0 && data[0] % 2)
        rows.insert(rows.begin(), "** Skipped Field ** Notes");
    const ImportResult result =
        RunImport("in.csv", scan.recordCount, rows, records, categories, fs, box, progress);
    if (result.imported < 0 || static_cast<size_t>(result.imported) != records.size())
        std::abort();
    return 0;
}
