#include "transfer/ImportScan.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "transfer/CDelimitedTokenizer.h"
#include <cstring>
#include <limits>

const std::vector<std::string> kImportRowOrder = {
    "Last Name",      "First Name",     "Title", "Other Ref", "Home",           "Work",
    "Pager",          "Mobile",         "FAX",   "E-Mail",    "Other",          "Address",
    "City",           "State",          "Zip",   "Country",   "Other Info 1st", "Other Info 2nd",
    "Other Info 3rd", "Other Info 4th", "Notes", "Category",
};

namespace {

// Opens the file and reads its first chunk; reports why when there is nothing to read.
class FirstChunk {
public:
    ScanStatus Open(const std::string& path, IFileSystem& fs, IMessageBox& box,
                    std::vector<char>& buffer) {
        try {
            source = fs.OpenRead(path);
            if (buffer.size() < CDelimitedTokenizer::kChunkSize)
                buffer.resize(CDelimitedTokenizer::kChunkSize);
            size = source->Read(buffer.data(), CDelimitedTokenizer::kChunkSize);
        } catch (const CFileException&) {
            box.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                     MbButtons::Ok);
            return ScanStatus::NotOpened;
        }
        if (size == 0) {
            box.Show(path + " has no data.", kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
            return ScanStatus::NoData;
        }
        return ScanStatus::Ok;
    }

    // The rest of the pass, the first chunk included.
    TokenizeResult Run(CDelimitedTokenizer& t, ITokenConsumer& consumer,
                       std::vector<char>& buffer) {
        TokenizeResult r = t.Feed(buffer.data(), size, consumer);
        while (r == TokenizeResult::Continue) {
            const std::size_t n = source->Read(buffer.data(), CDelimitedTokenizer::kChunkSize);
            r = n == 0 ? t.Finish(consumer) : t.Feed(buffer.data(), n, consumer);
        }
        return r;
    }

    std::unique_ptr<IByteSource> source;
    std::size_t size = 0;
};

class Counter final : public ITokenConsumer {
public:
    bool OnField(std::string_view, int index) override {
        lastFields = index + 1;
        return true;
    }
    bool OnRecordEnd() override { return true; }
    int lastFields = 0;
};

class RecordCollector final : public ITokenConsumer {
public:
    explicit RecordCollector(long long wanted) : m_wanted(wanted) {}
    bool OnField(std::string_view value, int) override {
        if (m_record == m_wanted)
            values.emplace_back(value);
        return true;
    }
    bool OnRecordEnd() override { return ++m_record <= m_wanted; }
    std::vector<std::string> values;

private:
    long long m_record = 1;
    long long m_wanted;
};

int ClampCount(long long n) {
    return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                               : static_cast<int>(n);
}

void ReportIncompatible(IMessageBox& box) {
    box.Show(kIncompatibleText, kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
}

} // namespace

ScanResult CountRecords(const std::string& path, IFileSystem& fs, IMessageBox& box,
                        std::vector<char>& buffer) {
    ScanResult result;
    FirstChunk file;
    result.status = file.Open(path, fs, box, buffer);
    if (result.status != ScanStatus::Ok)
        return result;
    CDelimitedTokenizer t;
    Counter counter;
    TokenizeResult r;
    try {
        r = file.Run(t, counter, buffer);
    } catch (const CFileException&) {
        box.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
        result.status = ScanStatus::NotOpened;
        return result;
    }
    if (r == TokenizeResult::Incompatible) {
        ReportIncompatible(box);
        result.status = ScanStatus::Incompatible;
        return result;
    }
    // The flush at the end of input already counted a last line without a line end.
    result.recordCount = ClampCount(t.CompletedRecords());
    result.fieldCount = counter.lastFields;
    return result;
}

PreviewResult PreviewRecord(const std::string& path, int k, int recordCount, IFileSystem& fs,
                            IMessageBox& box, std::vector<char>& buffer) {
    PreviewResult result;
    result.record = k;
    FirstChunk file;
    result.status = file.Open(path, fs, box, buffer);
    if (result.status == ScanStatus::Ok) {
        CDelimitedTokenizer t;
        RecordCollector collector(k);
        TokenizeResult r = TokenizeResult::Completed;
        try {
            r = file.Run(t, collector, buffer);
        } catch (const CFileException&) {
            box.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                     MbButtons::Ok);
            result.status = ScanStatus::NotOpened;
        }
        if (r == TokenizeResult::Incompatible) {
            ReportIncompatible(box);
            result.status = ScanStatus::Incompatible;
        }
        result.values = std::move(collector.values);
    }
    if (k < recordCount) {
        result.hasNext = true;
    } else {
        result.hasNext = false;
        result.record = recordCount;
    }
    return result;
}

std::string ToggleSkippedMarker(const std::string& rowName) {
    const std::size_t n = std::strlen(kSkippedFieldMarker);
    if (rowName.size() >= n &&
        kb::EqualsNoCase(std::string_view(rowName).substr(0, n), kSkippedFieldMarker))
        return rowName.substr(n);
    return kSkippedFieldMarker + rowName;
}
