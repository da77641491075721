#include "model/DefaultDataPath.h"
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
