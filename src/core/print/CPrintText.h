#pragma once
#include <string>
#include <vector>

class CContactRecord;

// One entry of a record's print text: an optional label (a caption up to its colon)
// and the text; the blank after a label's colon starts the text.
struct CPrintEntry {
    std::string m_strLabel;
    std::string m_strText;
    bool operator==(const CPrintEntry&) const = default;
};

// What is printed of one record, in print order. The name, when the record has a last
// name, is the first entry.
class CPrintText {
public:
    // The book prints the parts its content flags (the "Print Data" bits) choose.
    static CPrintText ForBook(const CContactRecord& record, int contentFlags);
    // A single record prints every part and what the contact has beyond its fields as
    // labelled entries, then the notes when asked.
    static CPrintText ForRecord(const CContactRecord& record, bool printNotes);

    bool HasName() const { return m_bHasName; }
    const std::vector<CPrintEntry>& Entries() const { return m_entries; }
    // Whether entry i's text is valid UTF-8, found once for every page that prints it.
    bool IsUtf8(std::size_t i) const { return m_utf8[i]; }
    bool IsEmpty() const { return m_entries.empty(); }
    // The first byte of the text as a whole (0 when there is none).
    char FirstCharacter() const;

private:
    static CPrintText Build(const CContactRecord& record, int flags);
    void Add(std::string label, std::string text);

    std::vector<CPrintEntry> m_entries;
    std::vector<bool> m_utf8;
    bool m_bHasName = false;
};
