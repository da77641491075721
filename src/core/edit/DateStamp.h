#pragma once
#include <ctime>
#include <string>

// The notes' date/time stamp: the locale's short date, " - ", a twelve-hour clock with
// seconds and AM or PM ("%x - %I:%M:%S %p"), in the C library's current locale.
std::string FormatDateStamp(const std::tm& time);
