#include "edit/DateStamp.h"
#include <vector>

namespace {

std::string Format(const char* pattern, const std::tm& time) {
    // strftime gives 0 both for "too small" and for an empty result; grow a few times.
    for (std::size_t size = 64; size <= 4096; size *= 4) {
        std::vector<char> buffer(size);
        const std::size_t n = std::strftime(buffer.data(), buffer.size(), pattern, &time);
        if (n > 0)
            return std::string(buffer.data(), n);
    }
    return {};
}

bool LocaleHasAmPm() {
    std::tm morning{};
    morning.tm_hour = 1;
    std::tm afternoon{};
    afternoon.tm_hour = 13;
    return !Format("%p", morning).empty() || !Format("%p", afternoon).empty();
}

} // namespace

std::string FormatLocalTime(const std::tm& time, bool withSeconds) {
    const char* pattern = nullptr;
    if (LocaleHasAmPm())
        pattern = withSeconds ? "%x - %I:%M:%S %p" : "%x - %I:%M %p";
    else
        pattern = withSeconds ? "%x - %H:%M:%S" : "%x - %H:%M";
    return Format(pattern, time);
}

std::string FormatDateStamp(const std::tm& time) {
    return FormatLocalTime(time, true);
}
