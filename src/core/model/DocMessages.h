#pragma once
#include <string>
#include <string_view>

// What the document tells the user when a data file cannot be loaded or saved. The texts
// are the program's own and are shown exactly as written (two blanks after full stops).
namespace DocMessages {

inline constexpr std::string_view kCannotOpenBackup =
    "Could not open the backup file.  Check to make sure it still exists and is not damaged.";
inline constexpr std::string_view kLoadCorrupted =
    "ERROR: Kinbook could not load your saved data as it appears to be corrupted.";
inline constexpr std::string_view kLoadDrive =
    "ERROR: Kinbook could not load your saved data.  Check to make sure the drive is readable.";
// %s: the full path.
inline constexpr std::string_view kCannotCreate =
    "The file %s could not be written to.  Make sure it is not write protected.";
inline constexpr std::string_view kSaveArchive = "ERROR: Kinbook could not save your data.  "
                                                 "Make sure the current archive file is not "
                                                 "write protected.";
inline constexpr std::string_view kDiskFull = "The destination drive is full.";
inline constexpr std::string_view kSaveDrive =
    "ERROR: Kinbook could not save your data.  Check to make sure the drive is writeable.";
// Another program kept the data file's writers' lock for longer than a save waits.
inline constexpr std::string_view kBookBusy =
    "The contact book is being changed by another program; try again.";
inline constexpr std::string_view kMemory =
    "It appears that memory is unstable.  Reboot your machine and try again.";

// After the corrupted-data message: where the untouched copy of the damaged file is
// (%s: its full path), or why there is none (%s: the damaged file's path).
inline constexpr std::string_view kDamagedCopyKept =
    "Kinbook has kept an unchanged copy of the damaged file as %s.";
inline constexpr std::string_view kDamagedCopyFailed =
    "Kinbook could not keep a copy of the damaged file, so it will not save over %s.";
// A cards file beside the data file could not be read whole (%s: its full path).
inline constexpr std::string_view kCardsDamaged =
    "Some of the contacts' further details (birthdays, photos and the like) in %s could not "
    "be read.  The contacts are shown without them, and Kinbook keeps a copy of that file "
    "before it saves over it.";

// Puts arg in place of the one %s of text.
inline std::string WithPath(std::string_view text, std::string_view arg) {
    std::string out(text);
    const auto at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, arg);
    return out;
}

} // namespace DocMessages
