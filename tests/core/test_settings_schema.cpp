#include "MemorySettingsStore.h"
#include "view/CSettingsSchema.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace SettingsSchema;

namespace {

// A store that remembers the order of every read and write.
class RecordingStore final : public ISettingsStore {
public:
    int GetInt(const std::string& name, int def) const override {
        reads.push_back(name);
        return inner.GetInt(name, def);
    }
    std::string GetString(const std::string& name, const std::string& def) const override {
        reads.push_back(name);
        return inner.GetString(name, def);
    }
    void WriteInt(const std::string& name, int value) override {
        writes.push_back(name);
        inner.WriteInt(name, value);
    }
    void WriteString(const std::string& name, const std::string& value) override {
        writes.push_back(name);
        inner.WriteString(name, value);
    }
    MemorySettingsStore inner;
    mutable std::vector<std::string> reads;
    std::vector<std::string> writes;
};

const std::vector<std::string> kPrintOrder = {
    "Print Data", "Border",      "Pause Printing", "Alpha Page Break", "Contact Notes",
    "Top Margin", "Left Margin", "Selected Size",  "Font Pitch",       "Font Name"};

} // namespace

TEST(SettingsSchema, FirstRunGivesTheDocumentedDefaults) {
    MemorySettingsStore store;
    const CPrintSettings p = ReadPrintSettings(store);
    EXPECT_EQ(p.m_nPrintData, 12);
    EXPECT_FALSE(p.m_bBorder);
    EXPECT_TRUE(p.m_bPause);
    EXPECT_FALSE(p.m_bAlphaPageBreak);
    EXPECT_FALSE(p.m_bContactNotes);
    EXPECT_EQ(p.m_dTopMargin, -1.0);
    EXPECT_EQ(p.m_dLeftMargin, -1.0);
    EXPECT_EQ(p.m_strSelectedSize, "Regular (8 1/2\" x 11\")");
    EXPECT_EQ(p.m_font.m_nHeight, -12);
    EXPECT_EQ(p.m_font.m_strFaceName, "ARIAL");
    EXPECT_EQ(p.m_font.m_nPitchAndFamily, 48);
    EXPECT_EQ(p, CPrintSettings{}) << "the struct's own defaults must agree with a first run";

    EXPECT_EQ(ReadSelectedIndex(store), 0);
    EXPECT_EQ(ReadCurrentPath(store), "");
    EXPECT_EQ(ReadSelectedCategory(store), -1);

    const CFrameSettings f = ReadFrameSettings(store);
    EXPECT_EQ(f.rect, (CWindowRect{10, 10, 500, 400}));
    EXPECT_EQ(f.icon, 0);
    EXPECT_EQ(f.max, 0);
    EXPECT_EQ(f.showTray, 0);
}

TEST(SettingsSchema, ReadsAndWritesInTheirFixedOrder) {
    RecordingStore store;
    ReadPrintSettings(store);
    EXPECT_EQ(store.reads, kPrintOrder);

    store.reads.clear();
    ReadSelectedIndex(store);
    ReadCurrentPath(store);
    ReadSelectedCategory(store);
    EXPECT_EQ(store.reads,
              (std::vector<std::string>{"Selected Index", "Current Path", "Selected Category"}));

    WriteViewSettings(store, CPrintSettings{}, 3, 2, "/tmp/a.kbk");
    std::vector<std::string> viewWrites = kPrintOrder;
    viewWrites.insert(viewWrites.end(), {"Selected Index", "Selected Category", "Current Path"});
    EXPECT_EQ(store.writes, viewWrites);

    store.reads.clear();
    store.writes.clear();
    ReadFrameSettings(store);
    EXPECT_EQ(store.reads, (std::vector<std::string>{"Rect", "icon", "max", "Show Tray"}));
    WriteFrameSettings(store, CWindowRect{}, false, false);
    EXPECT_EQ(store.writes, (std::vector<std::string>{"Rect", "icon", "max", "Show Tray"}));
}

TEST(SettingsSchema, PrintSettingsRoundTripWithTheirEncodings) {
    MemorySettingsStore store;
    CPrintSettings p;
    p.m_nPrintData = 63;
    p.m_bBorder = true;
    p.m_bPause = false;
    p.m_bAlphaPageBreak = true;
    p.m_bContactNotes = true;
    p.m_dTopMargin = 0.5;
    p.m_dLeftMargin = 2.25;
    p.m_strSelectedSize = "Pocket (3 1/2\" x 6\")";
    p.m_font.m_nHeight = -14;
    p.m_font.m_strFaceName = "Times New Roman";
    WritePrintSettings(store, p);

    EXPECT_EQ(std::get<std::string>(store.values["Top Margin"]), "0.500000");
    EXPECT_EQ(std::get<std::string>(store.values["Left Margin"]), "2.250000");
    EXPECT_EQ(std::get<int>(store.values["Border"]), 1);
    EXPECT_EQ(std::get<int>(store.values["Pause Printing"]), 0);
    EXPECT_EQ(ReadPrintSettings(store), p);

    // Margins that were never set are written too, as -1.
    WritePrintSettings(store, CPrintSettings{});
    EXPECT_EQ(std::get<std::string>(store.values["Top Margin"]), "-1.000000");
    EXPECT_EQ(ReadPrintSettings(store), CPrintSettings{});
}

struct PrintDataCase {
    int stored;
    int expected;
};
class PrintDataDecoding : public ::testing::TestWithParam<PrintDataCase> {};
TEST_P(PrintDataDecoding, KeepsOnlyTheSixChoices) {
    MemorySettingsStore store;
    store.WriteInt("Print Data", GetParam().stored);
    EXPECT_EQ(ReadPrintSettings(store).m_nPrintData, GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, PrintDataDecoding,
                         ::testing::Values(PrintDataCase{-1, 12}, PrintDataCase{63, 63},
                                           PrintDataCase{0, 0}, PrintDataCase{76, 12},
                                           PrintDataCase{64, 0}, PrintDataCase{1, 1},
                                           PrintDataCase{127, 63}));

struct FlagCase {
    const char* name;
    int stored;
    bool CPrintSettings::*member;
    bool expected;
};
class FlagDecoding : public ::testing::TestWithParam<FlagCase> {};
TEST_P(FlagDecoding, OnlyOneMeansOn) {
    MemorySettingsStore store;
    store.WriteInt(GetParam().name, GetParam().stored);
    EXPECT_EQ(ReadPrintSettings(store).*(GetParam().member), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, FlagDecoding,
    ::testing::Values(FlagCase{"Border", 1, &CPrintSettings::m_bBorder, true},
                      FlagCase{"Border", 2, &CPrintSettings::m_bBorder, false},
                      FlagCase{"Border", -1, &CPrintSettings::m_bBorder, false},
                      FlagCase{"Pause Printing", 1, &CPrintSettings::m_bPause, true},
                      FlagCase{"Pause Printing", 0, &CPrintSettings::m_bPause, false},
                      FlagCase{"Pause Printing", 5, &CPrintSettings::m_bPause, false},
                      FlagCase{"Alpha Page Break", 1, &CPrintSettings::m_bAlphaPageBreak, true},
                      FlagCase{"Alpha Page Break", 7, &CPrintSettings::m_bAlphaPageBreak, false},
                      FlagCase{"Contact Notes", 1, &CPrintSettings::m_bContactNotes, true},
                      FlagCase{"Contact Notes", 0, &CPrintSettings::m_bContactNotes, false}));

struct PitchCase {
    const char* size;
    int expected;
};
class FontPitchDefault : public ::testing::TestWithParam<PitchCase> {};
TEST_P(FontPitchDefault, FollowsTheStoredSizeIgnoringCase) {
    MemorySettingsStore store;
    store.WriteString("Selected Size", GetParam().size);
    const CPrintSettings p = ReadPrintSettings(store);
    EXPECT_EQ(p.m_strSelectedSize, GetParam().size);
    EXPECT_EQ(p.m_font.m_nHeight, GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, FontPitchDefault,
                         ::testing::Values(PitchCase{"Pocket (3 1/2\" x 6\")", -8},
                                           PitchCase{"POCKET (3 1/2\" X 6\")", -8},
                                           PitchCase{"Compact (4 1/4\" x 6 3/4\")", -9},
                                           PitchCase{"classic (5 1/2\" x 8 1/2\")", -9},
                                           PitchCase{"Regular (8 1/2\" x 11\")", -12},
                                           PitchCase{"Monarch (8 1/2\" x 11\")", -12},
                                           PitchCase{"Pocket", -12}, PitchCase{"", -12}));

TEST(SettingsSchema, StoredFontWinsOverTheSizeAndEmptyValuesCountAsAbsent) {
    MemorySettingsStore store;
    store.WriteString("Selected Size", "Pocket (3 1/2\" x 6\")");
    store.WriteInt("Font Pitch", -11);
    store.WriteString("Font Name", "");
    store.WriteString("Top Margin", "");
    const CPrintSettings p = ReadPrintSettings(store);
    EXPECT_EQ(p.m_font.m_nHeight, -11);
    EXPECT_EQ(p.m_font.m_strFaceName, "ARIAL");
    EXPECT_EQ(p.m_dTopMargin, -1.0);

    store.WriteInt("Font Pitch", 0);
    EXPECT_EQ(ReadPrintSettings(store).m_font.m_nHeight, -8) << "a zero height prints nothing";
}

struct MarginTextCase {
    const char* text;
    double expected;
};
class MarginParsing : public ::testing::TestWithParam<MarginTextCase> {};
TEST_P(MarginParsing, ReadsDecimalsOrNotSet) {
    EXPECT_DOUBLE_EQ(ParseMargin(GetParam().text), GetParam().expected) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, MarginParsing,
                         ::testing::Values(MarginTextCase{"0.500000", 0.5},
                                           MarginTextCase{"1.875", 1.875},
                                           MarginTextCase{"  2.25", 2.25},
                                           MarginTextCase{"+0.75", 0.75}, MarginTextCase{"1", 1.0},
                                           MarginTextCase{"0.5in", 0.5}, MarginTextCase{"", -1.0},
                                           MarginTextCase{"-1.000000", -1.0},
                                           MarginTextCase{"abc", -1.0}, MarginTextCase{"-3", -1.0},
                                           MarginTextCase{"nan", -1.0}, MarginTextCase{"inf", -1.0},
                                           MarginTextCase{"0.000000", 0.0}));

TEST(SettingsSchema, MarginFormatIsSixDecimalsWithAFullStop) {
    EXPECT_EQ(FormatMargin(0.5), "0.500000");
    EXPECT_EQ(FormatMargin(-1.0), "-1.000000");
    EXPECT_EQ(FormatMargin(1.875), "1.875000");
    EXPECT_EQ(FormatMargin(0.0), "0.000000");
}

struct RectCase {
    const char* text;
    bool present;
    CWindowRect expected;
};
class RectParsing : public ::testing::TestWithParam<RectCase> {};
TEST_P(RectParsing, ReadsTheFourFields) {
    const auto rect = ParseRect(GetParam().text);
    ASSERT_EQ(rect.has_value(), GetParam().present) << GetParam().text;
    const CWindowRect fallback{10, 10, 500, 400};
    if (rect) {
        EXPECT_EQ(*rect, GetParam().expected) << GetParam().text;
    }
    EXPECT_EQ(ParseRectOrDefault(GetParam().text),
              GetParam().present ? GetParam().expected : fallback);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, RectParsing,
    ::testing::Values(RectCase{"0010 0010 0500 0400", true, {10, 10, 500, 400}},
                      RectCase{"0120 0080 1020 0700", true, {120, 80, 1020, 700}},
                      RectCase{"-004 -004 1284 1028", true, {-4, -4, 1284, 1028}},
                      // Fields read by their positions: trailing text after a field is ignored.
                      RectCase{"0010x0020x0300x0400junk", true, {10, 20, 300, 400}},
                      RectCase{"  10   20  300  400", true, {10, 20, 300, 400}},
                      // A wide field must not shift the ones after it.
                      RectCase{"-1500 0010 -0500 0400", true, {-1500, 10, -500, 400}},
                      RectCase{"10000 0010 12000 0400", true, {10000, 10, 12000, 400}},
                      RectCase{"", false, {}}, RectCase{"0010 0010", false, {}},
                      RectCase{"abcd efgh ijkl mnop", false, {}}));

TEST(SettingsSchema, RectFormatPadsEveryFieldToFourCharacters) {
    EXPECT_EQ(FormatRect({10, 10, 500, 400}), "0010 0010 0500 0400");
    EXPECT_EQ(FormatRect({-8, -8, 1288, 1032}), "-008 -008 1288 1032");
    for (const CWindowRect r : {CWindowRect{10, 10, 500, 400}, CWindowRect{-999, -1, 0, 9999},
                                CWindowRect{-2000, 5, 30000, 40000}})
        EXPECT_EQ(ParseRect(FormatRect(r)), r);
}

TEST(SettingsSchema, FrameWritesTheRestoredRectangleAndNeverIcon) {
    MemorySettingsStore store;
    // Closed while maximised: the restored rectangle and "max" 1.
    WriteFrameSettings(store, {120, 80, 1020, 700}, true, true);
    EXPECT_EQ(std::get<std::string>(store.values["Rect"]), "0120 0080 1020 0700");
    EXPECT_EQ((ReadFrameSettings(store)), (CFrameSettings{{120, 80, 1020, 700}, 0, 1, 1}));
    // Closed while minimised: neither "icon" nor "max".
    WriteFrameSettings(store, {120, 80, 1020, 700}, false, false);
    EXPECT_EQ((ReadFrameSettings(store)), (CFrameSettings{{120, 80, 1020, 700}, 0, 0, 0}));
    store.WriteString("Rect", "");
    EXPECT_EQ(ReadFrameSettings(store).rect, (CWindowRect{10, 10, 500, 400}));
}

TEST(SettingsSchema, SliderAndFilterPositionsFallBack) {
    // 26 is the "#" tab after Z.
    const std::vector<std::pair<int, int>> indexCases = {{-1, 0},  {0, 0},   {13, 13},   {25, 25},
                                                         {26, 26}, {27, 26}, {1000, 26}, {-7, 0}};
    for (auto [stored, expected] : indexCases) {
        MemorySettingsStore store;
        store.WriteInt("Selected Index", stored);
        EXPECT_EQ(ReadSelectedIndex(store), expected) << stored;
    }
    MemorySettingsStore store;
    WriteSelectedCategory(store, 4);
    EXPECT_EQ(ReadSelectedCategory(store), 4);
    WriteSelectedCategory(store, -1);
    EXPECT_EQ(ReadSelectedCategory(store), -1);
    WriteCurrentPath(store, "/home/a/b.kbk");
    EXPECT_EQ(ReadCurrentPath(store), "/home/a/b.kbk");
}
