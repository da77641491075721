#include "edit/DateStamp.h"
#include "print/CPrintJob.h"
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::tm Afternoon() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 13;
    t.tm_min = 25;
    t.tm_sec = 10;
    return t;
}

} // namespace

TEST(DateStamp, ShortDateAndTwelveHourClockInTheDefaultLocale) {
    std::tm t = Afternoon();
    EXPECT_EQ(FormatDateStamp(t), "12/06/26 - 01:25:10 PM");
    EXPECT_EQ(CPrintJob::FooterText(2, t), "Page 2 : 12/06/26 - 01:25 PM");
    t.tm_hour = 0;
    EXPECT_EQ(FormatDateStamp(t), "12/06/26 - 12:25:10 AM");
}

// A locale without AM and PM gets a 24-hour clock in the stamp and the footer alike: a
// twelve-hour time without its designator would not tell 1 o'clock from 13.
TEST(DateStamp, TwentyFourHourClockWhereTheLocaleHasNoAmPm) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kinbook-locale-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string build =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "localedef cannot build de_DE (the locales package is missing)";
    }
    ::setenv("LOCPATH", dir.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_TIME, "de_DE.UTF-8"), nullptr);
    const std::tm t = Afternoon();
    const std::string stamp = FormatDateStamp(t);
    const std::string footer = CPrintJob::FooterText(1, t);
    std::setlocale(LC_TIME, "C");
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(stamp, "06.12.2026 - 13:25:10");
    EXPECT_EQ(footer, "Page 1 : 06.12.2026 - 13:25");
}
