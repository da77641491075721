#pragma once
#include <cstdint>
#include <string>

class CKinbookDoc;

// Lets the user take an import back in one step, whatever the format imported: before
// the import changes the book, the book as it is goes to a hidden copy beside the data
// file (replaced by the next import); undoing writes that copy back as the data file and
// loads it. The undo is offered until the book changes again.
class CImportUndo {
public:
    // "<folder>/.<name>.before-import" for "<folder>/<name>".
    static std::string CopyPathFor(const std::string& dataPath);

    // Keeps the book as it is now. False when the copy could not be written (reported);
    // the import may still go on, only without an undo.
    bool Prepare(CKinbookDoc& doc);
    // After the import was filed and saved: offer to take back `imported` contacts read
    // from `source`. Nothing is offered when none were imported.
    void Completed(const CKinbookDoc& doc, int imported, std::string source);
    // Whether "&Undo Import" is enabled: an import completed and the book is unchanged.
    bool Available(const CKinbookDoc& doc) const;
    // "Remove the %d contacts imported from %s?"
    std::string Question() const;
    // Restores the book kept by Prepare as the data file and loads it. True on success
    // (failures are reported and leave the book as it is).
    bool Undo(CKinbookDoc& doc);

private:
    bool m_bPrepared = false;
    bool m_bAvailable = false;
    std::uint64_t m_nGeneration = 0;
    std::string m_strDataPath;
    int m_nImported = 0;
    std::string m_strSource;
};
