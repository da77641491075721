#pragma once
#include <string>
#include <string_view>

inline constexpr const char* kDataFileName = "YourContactRecords.kbk";

// The default data file beside the program, from a command line given as one text
// (program path first): the text in lower case, one leading double quote dropped,
// cut after its last backslash, then the data file name as written. A backslash in
// an argument moves the cut into the arguments, as it always has.
std::string DataPathFromCommandLine(std::string_view commandLine);
