#include "port/IClock.h"

std::tm SystemClock::Now() const {
    std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}
