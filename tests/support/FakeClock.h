#pragma once
#include "port/IClock.h"

// A clock fixed at a given local time (default 2024-03-05 14:07:09).
class FakeClock final : public IClock {
public:
    FakeClock() {
        now.tm_year = 124;
        now.tm_mon = 2;
        now.tm_mday = 5;
        now.tm_hour = 14;
        now.tm_min = 7;
        now.tm_sec = 9;
        now.tm_wday = 2;
        now.tm_yday = 64;
        now.tm_isdst = 0;
    }
    std::tm Now() const override { return now; }
    std::tm now{};
};
