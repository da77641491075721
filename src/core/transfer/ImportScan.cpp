#include "transfer/ImportScan.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "transfer/CDelimitedReader.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportLimits.h"
#include "transfer/ImportProcedure.h"
#include "transfer/VCardTransfer.h"
#include <cstring>
#include <limits>

const std::vector<std::string> kImportRowOrder = {
    "Last Name",      "First Name",     "Title", "Other Ref", "Home",           "Work",
    "Pager",          "Mobile",         "FAX",   "E-Mail",    "Other",          "Address",
    "City",           "State",          "Zip",   "Country",   "Other Info 1st", "Other Info 2nd",
    "Other Info 3rd", "Other Info 4th", "Notes", "Category",
};

namespace {

// Counts the bytes read through it, to tell an empty file.
class CountingSource final : public IByteSource {
public:
    explicit CountingSource(IByteSource& inner) : m_inner(inner) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t n = m_inner.Read(buffer, size);
        total += n;
        return n;
    }
    std::size_t total = 0;

private:
    IByteSource& m_inner;
};

int ClampCount(long long n) {
    return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                               : static_cast<int>(n);
}

void ReportNotOpened(IMessageBox& box, const std::string& path) {
    box.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
}

// Opens the file and tells whether it has anything to read; reports why not.
ScanStatus OpenChecked(const std::string& path, IFileSystem& fs, IMessageBox& box,
                       std::unique_ptr<IByteSource>& source, const ImportFormatChoice* choice,
                       DetectedFormat* format) {
    try {
        source = fs.OpenRead(path);
        CountingSource counted(*source);
        if (choice) {
            *format = DetectFormat(counted, *choice);
            source = fs.OpenRead(path);
        } else {
            char probe[1];
            counted.Read(probe, 1);
            if (counted.total > 0)
                source = fs.OpenRead(path);
        }
        if (counted.total == 0) {
            box.Show(path + " has no data.", kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
            return ScanStatus::NoData;
        }
    } catch (const CFileException&) {
        ReportNotOpened(box, path);
        return ScanStatus::NotOpened;
    }
    return ScanStatus::Ok;
}

} // namespace

ScanResult CountRecords(const std::string& path, IFileSystem& fs, IMessageBox& box,
                        std::vector<char>& buffer, const ImportFormatChoice& choice) {
    ScanResult result;
    std::unique_ptr<IByteSource> source;
    result.status = OpenChecked(path, fs, box, source, &choice, &result.format);
    if (result.status != ScanStatus::Ok)
        return result;
    if (result.format.kind == FileKind::VCard) {
        // Its cards: a card that cannot be read is skipped by the import, not refused here.
        try {
            const TextEncoding e = result.format.encoding;
            if (e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE) {
                CDecodingSource decoded(*source, e);
                result.recordCount = CountVCards(decoded);
            } else {
                result.recordCount = CountVCards(*source);
            }
            // A card too long to import is refused before anything is imported.
            const auto stamp = fs.Stamp(path);
            if (stamp && stamp->size > transfer::kMaxLineBytes) {
                source = fs.OpenRead(path);
                std::unique_ptr<IByteSource> decoded;
                if (e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE)
                    decoded = std::make_unique<CDecodingSource>(*source, e);
                if (const int line = FindTooLongCard(decoded ? *decoded : *source); line != 0) {
                    box.Show(TooLongMessage(line, true), kFileErrorCaption, MbIcon::Stop,
                             MbButtons::Ok);
                    result.status = ScanStatus::Incompatible;
                }
            }
        } catch (const CFileException&) {
            ReportNotOpened(box, path);
            result.status = ScanStatus::NotOpened;
        }
        return result;
    }
    CDelimitedReader reader(result.format);
    long long records = 0;
    TokenizeResult r;
    std::vector<bool>& valued = result.valued;
    try {
        r = reader.Run(
            *source,
            [&records, &valued](std::span<const std::string_view> fields, long long) {
                ++records;
                if (valued.size() < fields.size())
                    valued.resize(fields.size());
                for (std::size_t c = 0; c < fields.size(); ++c) {
                    if (!fields[c].empty())
                        valued[c] = true;
                }
                return true;
            },
            buffer);
    } catch (const CFileException&) {
        ReportNotOpened(box, path);
        result.status = ScanStatus::NotOpened;
        return result;
    }
    if (r == TokenizeResult::Incompatible || r == TokenizeResult::TooLong) {
        ShowReadRefusal(reader, r, box);
        result.status = ScanStatus::Incompatible;
        return result;
    }
    result.recordCount = ClampCount(records);
    result.fieldCount = reader.WidestRecord();
    return result;
}

ScanResult DetectImportFormat(const std::string& path, IFileSystem& fs, IMessageBox& box,
                              const ImportFormatChoice& choice) {
    ScanResult result;
    std::unique_ptr<IByteSource> source;
    result.status = OpenChecked(path, fs, box, source, &choice, &result.format);
    return result;
}

PreviewResult PreviewRecord(const std::string& path, int k, int recordCount, IFileSystem& fs,
                            IMessageBox& box, std::vector<char>& buffer,
                            const DetectedFormat& format) {
    PreviewResult result;
    result.record = k;
    std::unique_ptr<IByteSource> source;
    result.status = OpenChecked(path, fs, box, source, nullptr, nullptr);
    if (result.status == ScanStatus::Ok) {
        CDelimitedReader reader(format);
        long long seen = 0;
        TokenizeResult r = TokenizeResult::Completed;
        try {
            r = reader.Run(
                *source,
                [&](std::span<const std::string_view> fields, long long) {
                    if (++seen < k)
                        return true;
                    result.values.assign(fields.begin(), fields.end());
                    return false;
                },
                buffer);
        } catch (const CFileException&) {
            ReportNotOpened(box, path);
            result.status = ScanStatus::NotOpened;
        }
        if (r == TokenizeResult::Incompatible || r == TokenizeResult::TooLong) {
            ShowReadRefusal(reader, r, box);
            result.status = ScanStatus::Incompatible;
        }
    }
    if (k < recordCount) {
        result.hasNext = true;
    } else {
        result.hasNext = false;
        result.record = recordCount;
    }
    return result;
}

std::vector<std::string> SkippedColumns(const std::vector<std::string>& rowNames,
                                        const DetectedFormat& format,
                                        const std::vector<bool>& valued) {
    std::vector<std::string> out;
    for (std::size_t c = 0; c < valued.size(); ++c) {
        if (!valued[c])
            continue;
        const std::string name =
            format.hasHeader && c < format.firstRecord.size() ? format.firstRecord[c] : "";
        if (c < rowNames.size()) {
            const auto kind = transfer::ParseRowName(rowNames[c]).kind;
            if (kind != transfer::ColumnRole::Kind::Skip &&
                kind != transfer::ColumnRole::Kind::Invalid)
                continue;
        }
        if (!name.empty() && transfer::ReadWithAnotherColumn(name))
            continue;
        out.push_back(name.empty() ? "column " + std::to_string(c + 1) : name);
    }
    return out;
}

std::string SkippedColumnsMessage(const std::vector<std::string>& columns, bool done) {
    if (columns.empty())
        return {};
    const std::string verb = done ? (columns.size() == 1 ? "was" : "were") : "will";
    std::string text =
        (columns.size() == 1 ? std::string("1 column with values ")
                             : std::to_string(columns.size()) + " columns with values ") +
        verb + " not be imported: ";
    if (done)
        text.replace(text.find(" be imported"), 12, " imported");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            text += i + 1 == columns.size() ? " and " : ", ";
        text += columns[i];
    }
    return text + ".";
}

std::string ToggleSkippedMarker(const std::string& rowName) {
    const std::size_t n = std::strlen(kSkippedFieldMarker);
    if (rowName.size() >= n &&
        kb::EqualsNoCase(std::string_view(rowName).substr(0, n), kSkippedFieldMarker))
        return rowName.substr(n);
    return kSkippedFieldMarker + rowName;
}
