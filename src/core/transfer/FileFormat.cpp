#include "transfer/FileFormat.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/ImportColumns.h"
#include <algorithm>

namespace {

// Enough of the start of a file to see its first lines.
constexpr std::size_t kHeadSize = 64 * 1024;
constexpr int kSeparatorLines = 20;

// A file without a mark whose every other byte is NUL is UTF-16 all the same.
TextEncoding GuessUtf16(std::string_view head) {
    const std::size_t n = std::min<std::size_t>(head.size(), 1024) & ~std::size_t{1};
    if (n < 4)
        return TextEncoding::Auto;
    std::size_t evenNul = 0;
    std::size_t oddNul = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        evenNul += head[i] == '\0';
        oddNul += head[i + 1] == '\0';
    }
    const std::size_t units = n / 2;
    if (oddNul * 10 >= units * 9 && evenNul == 0)
        return TextEncoding::Utf16LE;
    if (evenNul * 10 >= units * 9 && oddNul == 0)
        return TextEncoding::Utf16BE;
    return TextEncoding::Auto;
}

// Semicolons against commas and TABs outside quotes, on the first line or, when that has
// none of them, on the first lines.
Separator GuessSeparator(std::string_view text) {
    long semicolons = 0;
    long others = 0;
    bool quoted = false;
    int line = 1;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == ';') {
            ++semicolons;
        } else if (c == ',' || c == '\t') {
            ++others;
        } else if (c == '\n') {
            if ((line == 1 && semicolons + others > 0) || line >= kSeparatorLines)
                break;
            ++line;
        }
    }
    return semicolons > others ? Separator::Semicolon : Separator::TabComma;
}

class FirstRecord final : public ITokenConsumer {
public:
    bool OnField(std::string_view value, int) override {
        values.emplace_back(value);
        blank = blank && value.empty();
        return true;
    }
    bool OnRecordEnd() override {
        if (!blank)
            return false;
        values.clear(); // a blank line before the first record
        return true;
    }
    std::vector<std::string> values;
    bool blank = true;
};

DetectedFormat Detect(std::string_view head, bool wholeIsUtf8, const ImportFormatChoice& choice) {
    DetectedFormat f;
    f.kind = FileKind::Delimited;
    const ByteOrderMark mark = DetectByteOrderMark(head);
    const auto wide = [](TextEncoding e) {
        return e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE;
    };
    if (choice.encoding != TextEncoding::Auto) {
        // UTF-16 chosen: the mark still tells which byte comes first.
        f.encoding = wide(choice.encoding) && wide(mark.encoding) ? mark.encoding : choice.encoding;
        if (f.encoding == TextEncoding::Named)
            f.charset = choice.charset;
    } else if (const ByteOrderMark bom = DetectByteOrderMark(head); bom.size > 0) {
        f.encoding = bom.encoding;
    } else if (const TextEncoding wide = GuessUtf16(head); wide != TextEncoding::Auto) {
        f.encoding = wide;
    } else {
        f.encoding = wholeIsUtf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    }

    std::string text;
    CTextDecoder decoder(f.encoding, f.charset);
    decoder.Decode(head.data(), head.size(), text);
    decoder.Finish(text);

    if (LooksLikeVCard(text)) {
        f.kind = FileKind::VCard;
        return f;
    }

    f.separator = choice.separator != Separator::Auto ? choice.separator : GuessSeparator(text);

    CDelimitedTokenizer tokenizer(f.separator);
    FirstRecord first;
    if (tokenizer.Feed(text.data(), text.size(), first) == TokenizeResult::Continue)
        tokenizer.Finish(first);
    if (!first.blank)
        f.firstRecord = std::move(first.values);
    f.headerDetected = transfer::LooksLikeHeader(f.firstRecord);
    f.hasHeader =
        choice.header == HeaderChoice::Auto ? f.headerDetected : choice.header == HeaderChoice::Yes;
    return f;
}

} // namespace

bool LooksLikeVCard(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return false;
    text.remove_prefix(start);
    const std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return kb::EqualsNoCase(line, "BEGIN:VCARD");
}

DetectedFormat DetectFormat(IByteSource& source, const ImportFormatChoice& choice) {
    std::string head;
    CUtf8Check check;
    std::vector<char> chunk(CDelimitedTokenizer::kChunkSize);
    for (;;) {
        const std::size_t n = source.Read(chunk.data(), chunk.size());
        if (n == 0)
            break;
        if (head.size() < kHeadSize)
            head.append(chunk.data(), n);
        check.Feed(chunk.data(), n);
        // A vCard file's cards say their own charsets: the rest of it is not needed.
        if (head.size() >= kHeadSize && LooksLikeVCard(head))
            return Detect(head, true, choice);
    }
    return Detect(head, check.Finish(), choice);
}

DetectedFormat DetectFormat(std::string_view bytes, const ImportFormatChoice& choice) {
    CUtf8Check check;
    check.Feed(bytes.data(), bytes.size());
    return Detect(bytes.substr(0, kHeadSize), check.Finish(), choice);
}
