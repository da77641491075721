#pragma once
#include "CliVerb.h"
#include "model/CContactRecord.h"
#include <string>

// The record fields a verb can set from the command line (add, edit).
namespace RecordOptions {

inline constexpr const char* kUsage =
    "[--last S] [--first S] [--title S] [--other-ref S] [--category NAME] "
    "[--item LABEL:TEXT]... [--default-item N] [--address S] [--city S] [--state S] "
    "[--zip S] [--country S] [--other-info S]... [--notes S]";

// Adds the record options to a verb's syntax.
void AddTo(CliSyntax& syntax);

// Sets the fields the options give (the items and the other-info lines as a whole, when
// any is given) and checks the last name as the record editor does. kExitOk, or the exit
// code after the refusal. The category is the caller's: it needs the book.
int ApplyTo(const CliVerb& verb, const CliArgs& a, CContactRecord& r);

} // namespace RecordOptions
