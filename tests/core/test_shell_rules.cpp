#include "model/DefaultDataPath.h"
#include "view/ScreenPlacement.h"
#include "view/SizingRule.h"
#include <gtest/gtest.h>

struct DataPathCase {
    const char* commandLine;
    const char* expected;
};
class DataPathRule : public ::testing::TestWithParam<DataPathCase> {};
TEST_P(DataPathRule, CutsAfterTheLastBackslash) {
    EXPECT_EQ(DataPathFromCommandLine(GetParam().commandLine), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, DataPathRule,
    ::testing::Values(
        DataPathCase{R"("C:\Apps\Book\prog.exe")", R"(c:\apps\book\YourContactRecords.kbk)"},
        DataPathCase{R"("C:\Apps\Book\prog.exe" )", R"(c:\apps\book\YourContactRecords.kbk)"},
        DataPathCase{R"(C:\Apps\prog.exe)", R"(c:\apps\YourContactRecords.kbk)"},
        // Started by its bare name: no quote and no backslash.
        DataPathCase{"PROG", "progYourContactRecords.kbk"},
        DataPathCase{"", "YourContactRecords.kbk"},
        // A backslash in an argument moves the cut into the arguments.
        DataPathCase{R"("C:\Apps\prog.exe" D:\Data\x.kbk)",
                     R"(c:\apps\prog.exe" d:\data\YourContactRecords.kbk)"},
        // Only one leading quote is dropped.
        DataPathCase{R"(""C:\A\p.exe")", R"("c:\a\YourContactRecords.kbk)"},
        // Only ASCII letters fold.
        DataPathCase{"\"C:\\\xC3\x89T\xC3\x89\\p.exe\"",
                     "c:\\\xC3\x89t\xC3\x89\\YourContactRecords.kbk"}));

struct SizingCase {
    SizingEdge edge;
    CWindowRect proposed;
    CWindowRect expected;
};
class MinimumSizeRule : public ::testing::TestWithParam<SizingCase> {};
TEST_P(MinimumSizeRule, TheDraggedSideGivesWay) {
    EXPECT_EQ(ApplyMinimumSize(GetParam().proposed, GetParam().edge, 270, 300),
              GetParam().expected);
}
// A window at 100,100 with a minimum of 270 by 300; each case drags too far.
INSTANTIATE_TEST_SUITE_P(
    Cases, MinimumSizeRule,
    ::testing::Values(
        SizingCase{SizingEdge::Left, {200, 100, 400, 250}, {130, 100, 400, 250}},
        SizingCase{SizingEdge::Right, {100, 100, 200, 250}, {100, 100, 370, 250}},
        SizingCase{SizingEdge::Top, {100, 200, 300, 400}, {100, 100, 300, 400}},
        SizingCase{SizingEdge::Bottom, {100, 100, 300, 200}, {100, 100, 300, 400}},
        SizingCase{SizingEdge::TopLeft, {200, 200, 400, 400}, {130, 100, 400, 400}},
        SizingCase{SizingEdge::TopRight, {100, 200, 200, 400}, {100, 100, 370, 400}},
        SizingCase{SizingEdge::BottomLeft, {200, 100, 400, 200}, {130, 100, 400, 400}},
        SizingCase{SizingEdge::BottomRight, {100, 100, 200, 200}, {100, 100, 370, 400}},
        // Big enough: untouched.
        SizingCase{SizingEdge::BottomRight, {100, 100, 500, 500}, {100, 100, 500, 500}}));

TEST(MinimumSizeRule, ZeroMeansNoLimit) {
    const CWindowRect tiny{10, 10, 20, 20};
    EXPECT_EQ(ApplyMinimumSize(tiny, SizingEdge::Left, 0, 0), tiny);
}

struct PlacementCase {
    const char* name;
    CWindowRect stored;
    CWindowRect expected;
};
class TitleBarPlacement : public ::testing::TestWithParam<PlacementCase> {};
TEST_P(TitleBarPlacement, KeepsTheWholeTitleBarReachable) {
    // Two monitors side by side, the left one with a panel along its top.
    const std::vector<CWindowRect> screens{{0, 30, 1280, 1024}, {1280, 0, 3200, 1080}};
    EXPECT_EQ(KeepTitleBarOnScreen(GetParam().stored, screens, 24), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, TitleBarPlacement,
    ::testing::Values(
        PlacementCase{"on the first", {100, 100, 600, 500}, {100, 100, 600, 500}},
        PlacementCase{"on the second", {2000, 500, 2500, 900}, {2000, 500, 2500, 900}},
        // A third monitor that is gone: onto the first screen, size kept.
        PlacementCase{"right of everything", {4000, 200, 4500, 600}, {2700, 200, 3200, 600}},
        PlacementCase{"far below", {100, 3000, 600, 3400}, {100, 624, 600, 1024}},
        // Taller than the screen: the title bar at its top.
        PlacementCase{"too tall", {100, 3000, 600, 4000}, {100, 30, 600, 1030}},
        PlacementCase{"left and above", {-900, -700, -400, -300}, {0, 30, 500, 430}},
        // Under the panel: moved down just enough.
        PlacementCase{"title under the panel", {100, 10, 600, 410}, {100, 30, 600, 430}},
        // Straddling both screens, or wider than any: the title bar can be taken.
        PlacementCase{"straddling", {1200, 100, 1700, 500}, {1200, 100, 1700, 500}},
        PlacementCase{"too wide", {-50, 100, 3950, 500}, {-50, 100, 3950, 500}},
        // Only a sliver of the title bar on the screen: pulled in.
        PlacementCase{"a sliver on the right", {3150, 100, 3650, 500}, {2700, 100, 3200, 500}},
        // Under a screen's top edge: pulled in, onto the screen it overlaps most.
        PlacementCase{"wide and too high", {-50, -5, 3950, 500}, {1280, 0, 5280, 505}},
        // Partly off a screen, the title bar whole on it: where the user left it.
        PlacementCase{"hanging off the bottom", {100, 900, 600, 1300}, {100, 900, 600, 1300}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ')
                c = '_';
        return name;
    });

TEST(TitleBarPlacement, NoScreensKnownKeepsTheRectangle) {
    EXPECT_EQ(KeepTitleBarOnScreen({5000, 5000, 5500, 5400}, {}, 24),
              (CWindowRect{5000, 5000, 5500, 5400}));
}
