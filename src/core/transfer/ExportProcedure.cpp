#include "transfer/ExportProcedure.h"
#include "model/CCategoryList.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/ColumnVocabulary.h"
#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

namespace {

std::string Format(const char* format, const std::string& s) {
    const int n = std::snprintf(nullptr, 0, format, s.c_str());
    std::string out(static_cast<std::size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, format, s.c_str());
    return out;
}

void ReportWriteFailure(IMessageBox& box, const CFileException& e) {
    box.Show(e.m_cause == CFileException::DiskFull
                 ? "The destination drive is out of disk space.  This export operation will be "
                   "canceled."
                 : "An error occured while writing to the destination drive.  This export "
                   "operation will be canceled.",
             "Disk Error", MbIcon::None, MbButtons::Ok);
}

} // namespace

std::vector<std::string> ColumnsForEverything(const CRecordList& records,
                                              const CCategoryFilter& category,
                                              std::vector<std::string> columns) {
    using transfer::kFirstKeptColumn;
    constexpr std::size_t kKept = std::size(transfer::kKeptColumnNames);
    std::array<int, kFieldCount> named{};
    std::array<bool, kKept> keptNamed{};
    for (const std::string& name : columns) {
        const int c = transfer::ResolveExportColumn(name);
        if (c >= 0 && c < kFieldCount)
            ++named[static_cast<std::size_t>(c)];
        else if (c >= kFirstKeptColumn)
            keptNamed[static_cast<std::size_t>(c - kFirstKeptColumn)] = true;
    }
    std::array<int, kFieldCount> most{};
    std::array<bool, kKept> keptHeld{};
    std::string scratch;
    CCategoryList none;
    for (const auto& r : records) {
        if (!category.Includes(*r))
            continue;
        std::array<int, kFieldCount> count{};
        for (std::size_t i = 0; i < r->m_nItemLabel.size(); ++i) {
            for (int f = 0; f < kFieldCount; ++f) {
                if (!r->m_strItem[i].empty() &&
                    transfer::ItemLabelOf(static_cast<Field>(f)) == r->m_nItemLabel[i])
                    ++count[static_cast<std::size_t>(f)];
            }
        }
        for (std::size_t f = 0; f < count.size(); ++f)
            most[f] = std::max(most[f], count[f]);
        if (r->Extras()) {
            for (std::size_t k = 0; k < kKept; ++k)
                keptHeld[k] = keptHeld[k] ||
                              !transfer::ExportValue(*r, kFirstKeptColumn + static_cast<int>(k), 0,
                                                     none, scratch)
                                   .empty();
        }
    }
    for (std::size_t f = 0; f < most.size(); ++f) {
        // Only labels the columns name: a label left out stays out.
        for (int n = named[f]; named[f] > 0 && n < most[f]; ++n)
            columns.emplace_back(FieldName(static_cast<Field>(f)));
    }
    for (std::size_t k = 0; k < kKept; ++k) {
        if (keptHeld[k] && !keptNamed[k])
            columns.emplace_back(transfer::kKeptColumnNames[k]);
    }
    return columns;
}

ExportVariant VariantFromText(const std::string& text) {
    if (kb::EqualsNoCase(text, kVariantCommaName))
        return ExportVariant::CommaQuote;
    if (kb::EqualsNoCase(text, kVariantSemicolonName))
        return ExportVariant::Semicolon;
    return ExportVariant::Tab;
}

std::string ExtensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return path.substr(dot + 1);
}

std::string PathWithExtension(const std::string& path, int filterIndex) {
    if (!ExtensionOf(path).empty())
        return path;
    return path + (filterIndex == 2 || filterIndex == 3 ? ".csv" : ".tab");
}

std::string PathForVariant(const std::string& path, ExportVariant variant) {
    // The extension is swapped whatever its length, so "names.c" becomes "names.csv"
    // and not "namcsv".
    const std::string ext = variant == ExportVariant::Tab ? "tab" : "csv";
    const std::string current = ExtensionOf(path);
    if (current.empty())
        return path + "." + ext;
    return path.substr(0, path.size() - current.size()) + ext;
}

std::unique_ptr<IByteSink> OpenExportFile(const std::string& path, IFileSystem& fileSystem,
                                          IMessageBox& messageBox, ExportResult& result) {
    if (fileSystem.Exists(path) &&
        messageBox.Show(Format("The file %s already exists, overwrite it?", path),
                        "Overwrite Confirmation", MbIcon::Question,
                        MbButtons::YesNo) != MbResult::Yes) {
        result.outcome = ExportOutcome::Declined;
        return nullptr;
    }
    try {
        return fileSystem.CreateAtomic(path);
    } catch (const CFileException&) {
        messageBox.Show(Format("%s could not be written to.  Make sure the file or drive is not "
                               "write protected.",
                               path),
                        "Drive Error", MbIcon::Stop, MbButtons::Ok);
        result.outcome = ExportOutcome::NotWritable;
        return nullptr;
    }
}

ExportResult RunExport(const CRecordList& records, const CCategoryList& categories,
                       const ExportRequest& request, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress) {
    ExportResult result;
    int n = 0;
    for (const auto& r : records)
        n += request.category.Includes(*r) ? 1 : 0;
    if (n < 1) {
        messageBox.Show("There are no records in the choosen category to export.", "Nothing to Do",
                        MbIcon::Information, MbButtons::Ok);
        result.outcome = ExportOutcome::NothingToDo;
        return result;
    }

    std::vector<int> fields;
    fields.reserve(request.columns.size());
    for (const std::string& name : request.columns) {
        const int f = transfer::ResolveExportColumn(name);
        if (f < 0)
            messageBox.Show("Invalid Category.", kAppTitle, MbIcon::None, MbButtons::Ok);
        fields.push_back(f);
    }
    const ExportVariant variant = VariantFromText(request.variantText);

    std::unique_ptr<IByteSink> sink = OpenExportFile(request.path, fileSystem, messageBox, result);
    if (!sink)
        return result;

    CDelimitedWriter writer(*sink);
    writer.SetEncoding(request.encoding);
    const float step = 100.0f / static_cast<float>(n);
    float accumulator = 0.0f;
    try {
        writer.WriteStart();
        if (request.header) {
            writer.WriteHeader(fields, variant);
            writer.WriteLineEnd();
        }
        for (const auto& r : records) {
            if (progress.CancelRequested()) {
                // The lines written so far stay on disk.
                writer.Flush();
                sink->Commit();
                result.outcome = ExportOutcome::Cancelled;
                return result;
            }
            if (!request.category.Includes(*r))
                continue;
            ++result.written;
            writer.WriteRecord(*r, fields, variant, categories);
            writer.WriteLineEnd();
            accumulator += step;
            progress.SetPosition(accumulator >= 100.0f ? 100 : static_cast<int>(accumulator));
        }
        progress.SetPosition(100);
        writer.Flush();
        sink->Commit();
    } catch (const CFileException& e) {
        // Dropping the sink uncommitted leaves nothing new under the path.
        ReportWriteFailure(messageBox, e);
        result.outcome = ExportOutcome::Failed;
        return result;
    }
    result.replaced = writer.Replaced();
    std::string done = std::to_string(result.written) + " records exported.";
    if (result.replaced > 0)
        done += "\n\n" + std::to_string(result.replaced) +
                " characters that Western (Windows-1252) lacks were written as \"?\".";
    messageBox.Show(done, "Export Complete", MbIcon::Information, MbButtons::Ok);
    return result;
}
