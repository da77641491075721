#pragma once
#include <string_view>

// Records are filed alphabetically, so the editor (and everything that adds records as
// the editor would) accepts only a last name that begins with a letter: any letter of any
// script (Ångström, Иванов, 田中), but no digit, punctuation mark or blank.
enum class LastNameProblem { None, Missing, NotALetter };

LastNameProblem CheckLastName(std::string_view lastName);

// The refusals, exactly as the editor shows them (stop icon, OK button).
inline constexpr const char* kLastNameNeededText =
    "All contacts must contain a last name.  Record not filed.";
inline constexpr const char* kLastNameNeededCaption = "Last Name Needed";
inline constexpr const char* kLastNameErrorText =
    "Since contacts are filed alphabetically, the last name must begin with a letter.  Record "
    "not filed.";
inline constexpr const char* kLastNameErrorCaption = "Last Name Error";
