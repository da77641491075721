#pragma once
// Reads vCard 2.1, 3.0 and 4.0 files a chunk at a time and hands over each card as a list
// of properties (see VCard.h); memory holds one card, whatever the file's size.
//
// How to use it:
//   struct Sink : IVCardSink {
//       bool OnCard(VCard& card) override { ...; return true; }          // false stops
//       bool OnBadCard(int line, VCardFault f) override { return true; } // skipped card
//   } sink;
//   CVCardReader reader;
//   while ((n = source.Read(buf, size)) > 0 && reader.Feed(buf, n, sink)) {}
//   reader.Finish(sink);
// or for text already in memory: std::vector<VCard> cards = ParseVCards(text);
//
// Lines end in CR LF, LF or CR; a UTF-8 byte-order mark is skipped. A line that begins with
// a blank or TAB continues the previous one; in a quoted-printable value a line ending in
// '=' continues on the next. Parameters are taken in every spelling (TYPE=home,voice,
// TYPE=HOME;TYPE=VOICE, 2.1's bare HOME;CELL;PREF). Values come out as UTF-8 in 3.0/4.0
// form: quoted-printable and CHARSET decoded, 2.1's literal line breaks escaped; base64 is
// left alone and the property marked binary.
#include "model/CharsetDecode.h"
#include "model/VCard.h"
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class VCardFault {
    NoEnd,              // BEGIN:VCARD without its END:VCARD before the next card or the end
    BadQuotedPrintable, // a quoted-printable value with a broken =XX sequence
    TextOutsideCard,    // lines that belong to no card
};

class IVCardSink {
public:
    virtual ~IVCardSink() = default;
    // A complete card; the sink may move from it. Returning false stops the reading.
    virtual bool OnCard(VCard& card) = 0;
    // A card (or stray text) that was skipped, with the line it began on.
    virtual bool OnBadCard(int line, VCardFault fault) = 0;
};

// Whether the reader keeps each value as it stood in the file (VCardProperty::rawValue)
// besides the value read: an import, which reads the values only, need not.
enum class RawValues { Keep, Drop };

class CVCardReader {
public:
    explicit CVCardReader(RawValues rawValues = RawValues::Keep) : m_rawValues(rawValues) {}
    // Reads the next bytes; false once the sink asked to stop.
    bool Feed(const char* data, std::size_t size, IVCardSink& sink);
    // Ends the input: an unfinished card is reported as NoEnd. False when the sink stopped.
    bool Finish(IVCardSink& sink);
    // Physical lines read so far.
    int Lines() const { return m_nLine; }

    // Takes on the import's limits (ImportLimits.h): a text value longer than
    // transfer::kMaxValueBytes is cut (never inside a character or an escape) and counted;
    // a card longer than transfer::kMaxLineBytes stops the reading. Off unless asked for:
    // a sync must never shorten what it writes back.
    void LimitSizes() { m_bLimited = true; }
    // Values cut so far.
    int ShortenedValues() const { return m_nShortened; }
    // The line of a card too long to read, which stopped the reading; 0 when none did.
    int TooLongLine() const { return m_nTooLongLine; }
    // Values whose CHARSET could not be honoured: an unknown name, or bytes that are not
    // text in the charset (see kb::AppendDecoded for what was read instead).
    const std::vector<kb::CharsetNote>& CharsetNotes() const { return m_charsetNotes; }
    // The charset of the values that name none, when the user named one for the file;
    // otherwise they are UTF-8 when valid, else Windows-1252.
    void SetDefaultCharset(const std::string& charset) { m_defaultCharset = charset; }

private:
    // inChunk: the line stands in the bytes being fed, which stay until Feed returns;
    // ascii: it holds only ASCII bytes.
    bool OnPhysicalLine(std::string_view line, IVCardSink& sink, bool inChunk, bool ascii);
    // A line that was gathered in m_physical.
    bool OnHeldLine(IVCardSink& sink);
    std::string_view LogicalLine() const {
        return m_bLogicalInChunk ? m_logicalInChunk : std::string_view(m_logical);
    }
    // Copies a logical line that is still read from the chunk into m_logical.
    void KeepLogicalLine();
    bool CompleteLogicalLine(IVCardSink& sink);
    bool OnLogicalLine(std::string_view text, int line, bool ascii, IVCardSink& sink);
    // Whether the logical line's first physical line says quoted-printable: decided when a
    // line ending in '=' first asks, as no other line needs to know.
    bool LogicalLineIsQuotedPrintable();
    // The property slot after the card's properties, to parse the next line into; what it
    // held is overwritten, so that its strings keep their room.
    VCardProperty& ScratchProperty();
    // Under LimitSizes: counts the bytes of a physical line (gathered: a part of one) into
    // the card's; false, the reading stopped, once they are too many.
    bool CountCardBytes(std::size_t bytes);
    void LimitValue(std::string& value);

    std::string m_physical;            // the physical line being read
    std::string m_logical;             // the logical line being unfolded
    std::string_view m_logicalInChunk; // or where it stands in the chunk being fed
    bool m_bLogicalInChunk = false;
    int m_nLogicalLine = 0;             // where it began; 0 when there is none
    std::size_t m_nFirstLineLength = 0; // of its first physical line, which begins it
    signed char m_logicalQp = -1;       // LogicalLineIsQuotedPrintable: -1 not asked yet
    bool m_bLogicalAscii = true;        // every byte of it is ASCII
    int m_nLine = 0;
    bool m_bAfterCr = false;
    bool m_bStarted = false; // past the byte-order mark check
    bool m_bStopped = false;
    RawValues m_rawValues;
    bool m_bLimited = false;
    std::size_t m_nCardBytes = 0; // of the card being read and the lines since the last one
    std::size_t m_nLineBytes = 0; // of the physical line being read
    int m_nShortened = 0;
    int m_nTooLongLine = 0;
    std::vector<kb::CharsetNote> m_charsetNotes;
    std::string m_defaultCharset;

    bool m_bInCard = false;
    bool m_bCardBroken = false;
    VCardFault m_cardFault = VCardFault::NoEnd;
    bool m_bInStray = false;
    VCard m_card;
    std::size_t m_nProperties = 0;         // of m_card.properties, the ones read (the rest: room)
    std::string m_decoded;                 // a quoted-printable value, decoded
    std::vector<VCardParam> m_spareParams; // parameters of earlier lines, kept for their room
    std::vector<VCardProperty> m_spareProperties; // the same for properties
};

// Every card of a text in memory, in order; the cards that could not be read are skipped
// and, when faults is given, listed there with their lines.
std::vector<VCard> ParseVCards(std::string_view text,
                               std::vector<std::pair<int, VCardFault>>* faults = nullptr);
