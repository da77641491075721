#include "edit/DateStamp.h"
#include <vector>

std::string FormatDateStamp(const std::tm& time) {
    // strftime gives 0 both for "too small" and for an empty result; grow a few times.
    for (std::size_t size = 64; size <= 4096; size *= 4) {
        std::vector<char> buffer(size);
        const std::size_t n =
            std::strftime(buffer.data(), buffer.size(), "%x - %I:%M:%S %p", &time);
        if (n > 0)
            return std::string(buffer.data(), n);
    }
    return {};
}
