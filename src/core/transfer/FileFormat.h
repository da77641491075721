#pragma once
#include "transfer/CDelimitedTokenizer.h"
#include "transfer/CTextDecoder.h"
#include <string>
#include <vector>

class IByteSource;

// The kinds of file the import reads.
enum class FileKind {
    Delimited, // values separated by TAB and comma, or by semicolons
    VCard,     // cards of vCard 2.1, 3.0 or 4.0, whatever the file's name
};

// Whether the first line holds column names.
enum class HeaderChoice { Auto, Yes, No };

// What the user (or the command line) fixed; Auto leaves it to detection.
struct ImportFormatChoice {
    TextEncoding encoding = TextEncoding::Auto;
    Separator separator = Separator::Auto;
    HeaderChoice header = HeaderChoice::Auto;
    std::string charset; // the name of a Named encoding
};

// What a file to import is, as found by DetectFormat: every field is resolved (never Auto).
struct DetectedFormat {
    FileKind kind = FileKind::Delimited;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string charset; // the name of a Named encoding
    Separator separator = Separator::TabComma;
    // What the first line looks like, whatever the choice: column names or a contact.
    bool headerDetected = false;
    // Whether the first record is taken as column names (and never imported).
    bool hasHeader = false;
    // The first record's values (decoded): the column names when hasHeader.
    std::vector<std::string> firstRecord;
};

// The one place that looks at a file to import and tells its kind, encoding, separator and
// header row. A file whose text begins with BEGIN:VCARD is vCard: its cards name their own
// fields, so separator and header do not apply, and only UTF-16 is decoded as a whole (a
// card's values say their charset, or are UTF-8 when valid and else Windows-1252). Reads the source
// to its end (a file is UTF-8 only when all of it is); CFileException passes through. Encoding: a
// UTF-16 or UTF-8 byte-order mark decides; otherwise valid UTF-8 is UTF-8 and anything else
// Windows-1252. Separator: semicolons when the first line (or, when it has no separator at all, the
// first lines) holds more semicolons outside quotes than commas and TABs together.
DetectedFormat DetectFormat(IByteSource& source, const ImportFormatChoice& choice = {});

// Detection over bytes already in memory.
DetectedFormat DetectFormat(std::string_view bytes, const ImportFormatChoice& choice = {});

// Whether text (the start of a file, decoded) is vCard: after a byte-order mark and blank
// lines, the first line is BEGIN:VCARD (any case).
bool LooksLikeVCard(std::string_view text);
