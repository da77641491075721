#include "edit/LastNameRule.h"
#include "model/NoCase.h"
#include "model/UnicodeText.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(UnicodeText, ALastNameMayBeginWithAnyLetterButNothingElse) {
    const std::vector<std::string> letters = {
        "Smith",
        "\xC3\x85ngstr\xC3\xB6m",                           // Ångström
        "\xC3\x98stergaard",                                // Østergaard
        "\xC5\x81ukasz",                                    // Łukasz
        "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2", // Иванов
        "\xE7\x94\xB0\xE4\xB8\xAD",                         // 田中
        "\xC5ngstr\xF6m",                                   // Ångström in Windows-1252
        "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D",                 // שלום
        "\xEA\xB9\x80",                                     // 김
        "\xCA\xBC"
        "a", // a modifier letter
    };
    for (const auto& name : letters)
        EXPECT_EQ(CheckLastName(name), LastNameProblem::None) << name;
    const std::vector<std::string> others = {"1st",
                                             " Smith",
                                             "#1 Club",
                                             "-x",
                                             "'t Hooft",
                                             "\xC2\xA0x",
                                             "\xE2\x82\xAC"
                                             "uro",
                                             "\x80"
                                             "uro", // € in Windows-1252
                                             "\xCC\x88"
                                             "a",
                                             "\xF0\x9F\x98\x80",
                                             "\xD9\xA3"};
    for (const auto& name : others)
        EXPECT_EQ(CheckLastName(name), LastNameProblem::NotALetter) << name;
    EXPECT_EQ(CheckLastName(""), LastNameProblem::Missing);
}

TEST(UnicodeText, DecodingFollowsTheProgramsOneDecoder) {
    EXPECT_EQ(kb::FirstCodePoint(""), 0u);
    EXPECT_EQ(kb::FirstCodePoint("\xC3\x85x"), 0xC5u);
    EXPECT_EQ(kb::FirstCodePoint("\xC3x"), 0xC3u) << "not UTF-8: Windows-1252";
    EXPECT_EQ(kb::FirstCodePoint("\x8Ax"), 0x160u);
    EXPECT_EQ(kb::FirstCodePoint("\xF0\x9F\x98\x80"), 0x1F600u);
    EXPECT_EQ(kb::DecodeToCodePoints("a\xE9"), (std::u32string{U'a', U'\u00E9'}));
}

TEST(UnicodeText, BaseLettersAndLetters) {
    EXPECT_EQ(kb::BaseLetterIndex(U'\u00C5'), 0);  // Å
    EXPECT_EQ(kb::BaseLetterIndex(U'\u00E4'), 0);  // ä
    EXPECT_EQ(kb::BaseLetterIndex(U'\u00D8'), 14); // Ø
    EXPECT_EQ(kb::BaseLetterIndex(U'\u0141'), 11); // Ł
    EXPECT_EQ(kb::BaseLetterIndex(U'\u00DF'), 18); // ß
    EXPECT_EQ(kb::BaseLetterIndex(U'\u1E9E'), 18); // ẞ
    EXPECT_EQ(kb::BaseLetterIndex(U'\u0110'), 3);  // Đ
    EXPECT_EQ(kb::BaseLetterIndex(U'\u01C5'), 3);  // ǅ: D with small z with caron
    EXPECT_EQ(kb::BaseLetterIndex(U'\u0416'), -1); // Ж
    EXPECT_EQ(kb::BaseLetterIndex(U'\u00C6'), -1); // Æ
    EXPECT_EQ(kb::BaseLetterIndex(U'1'), -1);
    EXPECT_TRUE(kb::IsLetter(U'\u0416'));
    EXPECT_TRUE(kb::IsLetter(U'\u7530'));
    EXPECT_TRUE(kb::IsLetter(U'\U00020000')); // CJK extension B
    EXPECT_FALSE(kb::IsLetter(U'\u0308'));
    EXPECT_FALSE(kb::IsLetter(U'\u00A0'));
    EXPECT_FALSE(kb::IsLetter(U'\U0010FFFF'));
}

// The key of a key is the key itself, for every code point: what Find compares is stable,
// and the compressed tables reproduce what they were made from.
TEST(UnicodeText, TheSearchKeyIsStableOverEveryCodePoint) {
    for (char32_t cp = 0; cp < 0x110000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        std::u32string key;
        kb::AppendSearchKey(key, cp);
        std::u32string again;
        for (char32_t c : key)
            kb::AppendSearchKey(again, c);
        ASSERT_EQ(again, key) << std::hex << static_cast<unsigned>(cp);
        for (char32_t c : key)
            ASSERT_FALSE(c >= U'A' && c <= U'Z') << std::hex << static_cast<unsigned>(cp);
    }
}

TEST(UnicodeText, SearchKeys) {
    EXPECT_EQ(kb::SearchKey("Zo\xC3\xAB"), U"zoe");
    EXPECT_EQ(kb::SearchKey("ZOE\xCC\x88"), U"zoe");
    EXPECT_EQ(kb::SearchKey("M\xFC"
                            "ller"),
              U"muller");
    EXPECT_EQ(kb::SearchKey("\xC5\x81ukasz"), U"\u0142ukasz") << "a stroke is no mark";
    EXPECT_EQ(kb::SearchKey("Stra\xC3\x9F"
                            "e"),
              U"strasse");
    EXPECT_EQ(kb::SearchKey("\xC4\xB0stanbul"), U"istanbul");
    EXPECT_EQ(kb::SearchKey("\xEA\xB0\x81"), U"\uAC01") << "Hangul stays whole";
}

TEST(UnicodeText, StoredWindows1252EqualsTypedUtf8) {
    EXPECT_TRUE(kb::EqualsNoCaseDecoded("Caf\xE9", "caf\xC3\xA9"));
    EXPECT_TRUE(kb::EqualsNoCaseDecoded("CAF\xC3\xA9", "caf\xE9"));
    EXPECT_FALSE(kb::EqualsNoCaseDecoded("Caf\xE9", "Cafe"));
    EXPECT_TRUE(kb::EqualsNoCaseDecoded("Unfiled", "UNFILED"));
    EXPECT_FALSE(kb::EqualsNoCaseDecoded("Caf\xC3\xA9", "Caf\xC3\x89")) << "only A-Z fold";
}

} // namespace
