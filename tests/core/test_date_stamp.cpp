#include "edit/DateStamp.h"
#include <gtest/gtest.h>

TEST(DateStamp, ShortDateAndTwelveHourClockInTheDefaultLocale) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 13;
    t.tm_min = 25;
    t.tm_sec = 10;
    EXPECT_EQ(FormatDateStamp(t), "12/06/26 - 01:25:10 PM");
    t.tm_hour = 0;
    EXPECT_EQ(FormatDateStamp(t), "12/06/26 - 12:25:10 AM");
}
