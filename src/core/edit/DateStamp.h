#pragma once
#include <ctime>
#include <string>

// The local time as the notes' stamp and the printed footer show it, in the C
// library's current locale: the locale's short date, " - " and a twelve-hour clock with
// AM or PM ("%x - %I:%M:%S %p"); where the locale has no AM/PM designator, a 24-hour
// clock instead ("%x - %H:%M:%S"), since a twelve-hour time without one is ambiguous.
std::string FormatLocalTime(const std::tm& time, bool withSeconds);

// The notes' date/time stamp: the local time with seconds.
std::string FormatDateStamp(const std::tm& time);
