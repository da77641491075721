#include "model/TextDecode.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include <gtest/gtest.h>
#include <random>

namespace {

std::string Card(const std::string& version, const std::string& body,
                 const std::string& eol = "\r\n") {
    return "BEGIN:VCARD" + eol + "VERSION:" + version + eol + body + "END:VCARD" + eol;
}

const VCardProperty& Only(const std::vector<VCard>& cards, const char* name) {
    EXPECT_EQ(cards.size(), 1u);
    const VCardProperty* p = cards.at(0).Find(name);
    EXPECT_NE(p, nullptr) << name;
    static const VCardProperty none;
    return p ? *p : none;
}

// Parameters in every spelling the three versions and their writers use.
struct ParamCase {
    const char* version;
    const char* line;
    std::vector<const char*> types;
    int preference;
};

class VCardParams : public testing::TestWithParam<ParamCase> {};

TEST_P(VCardParams, EverySpellingGivesTheSameTypesAndPreference) {
    const ParamCase& c = GetParam();
    const auto cards = ParseVCards(Card(c.version, std::string(c.line) + "\r\n"));
    const VCardProperty& tel = Only(cards, "TEL");
    for (const char* t : c.types)
        EXPECT_TRUE(tel.HasType(t)) << c.line << " lacks " << t;
    EXPECT_FALSE(tel.HasType("fax")) << c.line;
    EXPECT_EQ(tel.Preference(), c.preference) << c.line;
    EXPECT_EQ(tel.Text(), "555-0100");
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, VCardParams,
    testing::Values(ParamCase{"3.0", "TEL;TYPE=home,voice:555-0100", {"home", "voice"}, 0},
                    ParamCase{"3.0", "TEL;TYPE=HOME;TYPE=VOICE:555-0100", {"home", "voice"}, 0},
                    ParamCase{"3.0", "tel;type=home;type=pref:555-0100", {"home"}, 1},
                    ParamCase{"2.1", "TEL;HOME;CELL;PREF:555-0100", {"home", "cell"}, 1},
                    ParamCase{"4.0", "TEL;TYPE=\"home,voice\";PREF=2:555-0100", {"home"}, 2},
                    ParamCase{"4.0", "TEL;PREF=1;TYPE=cell:555-0100", {"cell"}, 1},
                    ParamCase{"3.0", "item1.TEL;type=WORK:555-0100", {"work"}, 0}));

TEST(VCardReader, UnfoldsEscapesAndKeepsGroupsAndRawValues) {
    const std::string text =
        Card("3.0", "item1.NOTE;LANGUAGE=en:one\\, two\\; three\\\\ four\\nfive\r\n"
                    " \\Nsix and a fold\r\n"
                    "\tafter a tab\r\n");
    const auto cards = ParseVCards(text);
    const VCardProperty& note = Only(cards, "NOTE");
    EXPECT_EQ(note.group, "item1");
    EXPECT_EQ(note.ParamValues("language"), std::vector<std::string>{"en"});
    EXPECT_EQ(note.rawValue, "one\\, two\\; three\\\\ four\\nfive\\Nsix and a foldafter a tab");
    EXPECT_EQ(note.Text(), "one, two; three\\ four\r\nfive\r\nsix and a foldafter a tab");
    EXPECT_EQ(note.line, 3);
}

TEST(VCardReader, StructuredValuesSplitOnlyAtUnescapedSemicolons) {
    const auto cards = ParseVCards(Card("4.0", "ADR:;;1 Main St\\; rear\\nApt 2;Town;;12345;\r\n"));
    const auto parts = Only(cards, "ADR").Components();
    EXPECT_EQ(parts, (std::vector<std::string>{"", "", "1 Main St; rear\r\nApt 2", "Town", "",
                                               "12345", ""}));
}

TEST(VCardReader, QuotedPrintableSoftBreaksAndCharsets) {
    const std::string text =
        Card("2.1", "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Zeile=0D=0A=\r\n"
                    "  zwei M=C3=\r\n"
                    "=BCller, drei\r\n"
                    "N;CHARSET=WINDOWS-1252:Lef\xe8vre;Zo\xe9\r\n"
                    "TITLE;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:=80 pr=E9t\r\n");
    const auto cards = ParseVCards(text);
    ASSERT_EQ(cards.size(), 1u);
    // The 2.1 line break and comma come out in the form every reader of VCard.h expects.
    EXPECT_EQ(cards[0].Find("NOTE")->value, "Zeile\\n  zwei M\xC3\xBCller\\, drei");
    EXPECT_EQ(cards[0].Find("NOTE")->Text(), "Zeile\r\n  zwei M\xC3\xBCller, drei");
    EXPECT_EQ(cards[0].Find("N")->Components(),
              (std::vector<std::string>{"Lef\xC3\xA8vre", "Zo\xC3\xA9"}));
    EXPECT_EQ(cards[0].Find("TITLE")->Text(), "\xE2\x82\xAC pr\xC3\xA9t");
}

TEST(VCardReader, CharsetNamedWindows1252IsTakenEvenWhenTheBytesLookLikeUtf8) {
    // C3 A9 is "é" in UTF-8 but "Ã©" in Windows-1252; the card says which.
    const auto cards = ParseVCards(Card("2.1", "FN;CHARSET=WINDOWS-1252:\xC3\xA9\r\n"));
    EXPECT_EQ(Only(cards, "FN").Text(), "\xC3\x83\xC2\xA9");
}

// Each value is read in the charset it names, whatever the others are; what cannot be
// honoured is noted with its line (the expected bytes are Python's codecs').
TEST(VCardReader, EveryNamedCharsetIsReadByItsName) {
    struct Case {
        const char* line;
        const char* text;
        const char* noted; // "": nothing to say about the value
        bool unknown;
    };
    const Case cases[] = {
        {"NOTE;CHARSET=ISO-8859-15:\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE", "€ŠšŽžŒœŸ", "", false},
        {"NOTE;CHARSET=iso-8859-2:\xB3\xB6\xBF", "łśż", "", false},
        {"NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-2:=A3=F3d=BC =A6wi=EAtokrzyska",
         "Łódź Świętokrzyska", "", false},
        {"NOTE;CHARSET=KOI8-R:\xF0\xD2\xC9\xD7\xC5\xD4", "Привет", "", false},
        {"NOTE;CHARSET=Shift_JIS:\x93\xFA\x96\x7B", "日本", "", false},
        {"NOTE;CHARSET=WINDOWS-1251:\xC6", "Ж", "", false},
        {"NOTE;CHARSET=X-MARTIAN:caf\xE9", "café", "X-MARTIAN", true},
        {"NOTE;CHARSET=UTF-8//IGNORE:caf\xC3\xA9", "café", "UTF-8//IGNORE", true},
        {"NOTE;CHARSET=SHIFT_JIS:a\x82 b", "a\xEF\xBF\xBD b", "SHIFT_JIS", false},
    };
    for (const Case& c : cases) {
        std::vector<VCard> cards;
        struct Sink : IVCardSink {
            bool OnCard(VCard& card) override {
                cards->push_back(card);
                return true;
            }
            bool OnBadCard(int, VCardFault) override { return true; }
            std::vector<VCard>* cards;
        } sink;
        sink.cards = &cards;
        const std::string text = Card("2.1", std::string(c.line) + "\r\n");
        CVCardReader reader;
        reader.Feed(text.data(), text.size(), sink);
        reader.Finish(sink);
        EXPECT_EQ(Only(cards, "NOTE").Text(), c.text) << c.line;
        const auto& notes = reader.CharsetNotes();
        if (*c.noted == '\0') {
            EXPECT_TRUE(notes.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(notes.size(), 1u) << c.line;
        EXPECT_EQ(notes[0].charset, c.noted);
        EXPECT_EQ(notes[0].unknown, c.unknown) << c.line;
        EXPECT_EQ(notes[0].lines, std::vector<int>{3}) << c.line;
    }
}

TEST(VCardReader, Base64StaysOpaqueAndIsMarkedBinary) {
    const std::string text = Card("2.1", "PHOTO;ENCODING=BASE64;JPEG:\r\n"
                                         " /9j/4AAQ\r\n"
                                         " SkZJRg==\r\n"
                                         "\r\n"
                                         "TEL:1\r\n") +
                             Card("3.0", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\n SkZJRg==\r\n") +
                             Card("4.0", "PHOTO:data:image/png;base64,iVBOR\r\n w0KGgo=\r\n");
    const auto cards = ParseVCards(text);
    ASSERT_EQ(cards.size(), 3u);
    for (const VCard& c : cards) {
        const VCardProperty* photo = c.Find("PHOTO");
        ASSERT_NE(photo, nullptr);
        EXPECT_TRUE(photo->binary) << c.version;
        EXPECT_EQ(photo->value.find('\n'), std::string::npos);
    }
    EXPECT_EQ(cards[1].Find("PHOTO")->value, "/9j/4AAQSkZJRg==");
    EXPECT_EQ(cards[2].Find("PHOTO")->value, "data:image/png;base64,iVBORw0KGgo=");
    ASSERT_NE(cards[0].Find("TEL"), nullptr);

    // A value marked base64 that holds stray bytes is damaged, not binary data to keep
    // byte for byte: it reads as UTF-8 like every other value, so writing it back and
    // reading again gives the same record.
    const auto damaged = ParseVCards(Card("2.1", "X-THING;B:a\xff\r\n b\xe9\r\n"));
    ASSERT_EQ(damaged.size(), 1u);
    const VCardProperty* thing = damaged[0].Find("X-THING");
    ASSERT_NE(thing, nullptr);
    EXPECT_TRUE(thing->binary);
    EXPECT_EQ(thing->value, "a\xc3\xbf b\xc3\xa9");
}

TEST(VCardReader, LineEndsByteOrderMarkAndCase) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        std::string text = "\xEF\xBB\xBF"
                           "begin:vcard" +
                           eol + "version:3.0" + eol + "N:Doe;Jane;;;" + eol + "FN:Jane" + eol +
                           " Doe" + eol + "end:vcard" + eol;
        const auto cards = ParseVCards(text);
        ASSERT_EQ(cards.size(), 1u) << eol.size();
        EXPECT_EQ(cards[0].version, "3.0");
        EXPECT_EQ(cards[0].Find("FN")->Text(), "JaneDoe");
        EXPECT_EQ(cards[0].Find("N")->Components()[1], "Jane");
    }
}

TEST(VCardReader, BadCardsAreSkippedWithTheirLinesAndTheRestIsRead) {
    const std::string text = "stray text\r\n" +                                 // line 1
                             Card("3.0", "FN:A\r\n") +                          // 2-5
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No end\r\n" +    // 6-8
                             Card("2.1", "NOTE;QUOTED-PRINTABLE:bad =ZZ\r\n") + // 9-12
                             Card("3.0", "FN:B\r\n") +                          // 13-16
                             "BEGIN:VCARD\r\nFN:cut off";                       // 17-18
    std::vector<std::pair<int, VCardFault>> faults;
    const auto cards = ParseVCards(text, &faults);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].Find("FN")->Text(), "A");
    EXPECT_EQ(cards[1].Find("FN")->Text(), "B");
    EXPECT_EQ(faults, (std::vector<std::pair<int, VCardFault>>{{1, VCardFault::TextOutsideCard},
                                                               {6, VCardFault::NoEnd},
                                                               {9, VCardFault::BadQuotedPrintable},
                                                               {17, VCardFault::NoEnd}}));
}

TEST(VCardReader, ALineThatIsNoPropertyIsKeptAsText) {
    const auto cards = ParseVCards(Card("3.0", "FN:A\r\njust words\r\n"));
    ASSERT_EQ(cards.size(), 1u);
    ASSERT_EQ(cards[0].properties.size(), 2u);
    EXPECT_EQ(cards[0].properties[1].name, "");
    EXPECT_EQ(cards[0].properties[1].Text(), "just words");

    // Only a quote that begins a parameter value quotes: a stray one in a damaged line
    // neither hides the parameters after it nor moves the end of the name.
    const auto stray = ParseVCards(Card("3.0", "X-A;\"=;TYPE=work;X=\"a:b\":c\r\n"));
    ASSERT_EQ(stray.size(), 1u);
    const VCardProperty& x = stray[0].properties.at(0);
    EXPECT_TRUE(x.HasType("work"));
    ASSERT_NE(x.FindParamValue("X"), nullptr);
    EXPECT_EQ(*x.FindParamValue("X"), "a:b");
    EXPECT_EQ(x.value, "c");
}

// Whatever the chunks, the reader sees the same cards.
TEST(VCardReader, ChunkBoundariesChangeNothing) {
    std::string text = "\xEF\xBB\xBF";
    for (int i = 0; i < 20; ++i)
        text += Card(i % 2 ? "2.1" : "3.0", "N:N" + std::to_string(i) +
                                                ";G;;;\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n"
                                                "b=C3=BC\r\nTEL;CELL:1\r\n  2\r\n");
    const auto whole = ParseVCards(text);
    ASSERT_EQ(whole.size(), 20u);
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        struct Sink : IVCardSink {
            bool OnCard(VCard& c) override {
                cards.push_back(c);
                return true;
            }
            bool OnBadCard(int, VCardFault) override { return false; }
            std::vector<VCard> cards;
        } sink;
        CVCardReader reader;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 7, text.size() - pos);
            ASSERT_TRUE(reader.Feed(text.data() + pos, n, sink));
            pos += n;
        }
        ASSERT_TRUE(reader.Finish(sink));
        ASSERT_EQ(sink.cards.size(), whole.size());
        for (std::size_t i = 0; i < whole.size(); ++i) {
            ASSERT_EQ(sink.cards[i].properties.size(), whole[i].properties.size());
            for (std::size_t k = 0; k < whole[i].properties.size(); ++k)
                EXPECT_EQ(sink.cards[i].properties[k].value, whole[i].properties[k].value);
        }
    }
    EXPECT_EQ(whole[1].Find("NOTE")->Text(), "ab\xC3\xBC");
    EXPECT_EQ(whole[1].Find("TEL")->Text(), "1  2"); // 2.1 folding keeps the blank
    EXPECT_EQ(whole[0].Find("TEL")->Text(), "1 2");
}

// A card reads the same whatever came before it in the file, and whatever the chunks:
// the reader reuses what it read earlier cards into, so nothing of one card may stay with
// the next. Random cards mix groups, parameters in several spellings, quotes, non-ASCII
// bytes, folding, quoted-printable and lines that are no property.
TEST(VCardReader, ACardReadsTheSameAloneAsAfterOthers) {
    std::mt19937 rng(16);
    const auto pick = [&rng](std::initializer_list<const char*> from) {
        return std::string(from.begin()[rng() % from.size()]);
    };
    std::vector<std::string> texts;
    for (int c = 0; c < 300; ++c) {
        std::string body;
        const int lines = static_cast<int>(rng() % 14);
        for (int l = 0; l < lines; ++l) {
            std::string head = rng() % 4 == 0 ? pick({"item1.", "a.b.", "G\xC3\xA9."}) : "";
            head += pick({"TEL", "tel", "EMAIL", "FN", "N", "NOTE", "X-ABLabel", "ADR", "ORG",
                          "UID", "PHOTO", "CATEGORIES", "x-kinbook-other-info", "BDAY"});
            const int params = static_cast<int>(rng() % 4);
            for (int k = 0; k < params; ++k)
                head += ";" +
                        pick({"TYPE=cell", "type=HOME,voice", "PREF=1", "HOME", "CELL",
                              "TYPE=\"work,voice\"", "X=\"a:b\"", "VALUE=uri", "CHARSET=ISO-8859-1",
                              "ENCODING=b", "LABEL=x^ny", "TYPE=caf\xC3\xA9"});
            const bool qp = rng() % 8 == 0;
            if (qp)
                head += ";ENCODING=QUOTED-PRINTABLE";
            std::string value =
                pick({"", "(609) 555-5469", "a\\,b\\;c", "Caf\xE9 caf\xC3\xA9", "Last;First;;;",
                      "x@example.org", "data:image/png;base64,AA", "one\\ntwo",
                      "urn:uuid:6c764b7a-5bde-5181-8a37-51b5f1d4cdb0"});
            if (qp)
                value = pick({"a=3D=\r\nb", "=C3=BC=\r\n=C3=A9", "plain"});
            std::string line = head + ":" + value;
            if (rng() % 6 == 0 && line.size() > 4)
                line.insert(line.size() - 2, "\r\n "); // folded
            if (rng() % 20 == 0)
                line = pick({"no property here", "  ", "\xFF\xFE"});
            body += line + "\r\n";
        }
        texts.push_back(Card(pick({"2.1", "3.0", "4.0"}), body));
    }
    std::string all;
    for (const std::string& t : texts)
        all += t;
    // A card with a broken quoted-printable value is skipped, alone as among others.
    std::vector<VCard> alone;
    std::vector<std::string> read;
    for (const std::string& t : texts) {
        auto cards = ParseVCards(t);
        ASSERT_LE(cards.size(), 1u) << t;
        if (!cards.empty()) {
            alone.push_back(std::move(cards[0]));
            read.push_back(t);
        }
    }
    ASSERT_GT(alone.size(), texts.size() / 2);
    const auto together = ParseVCards(all);
    ASSERT_EQ(together.size(), alone.size());
    for (std::size_t c = 0; c < alone.size(); ++c) {
        const VCard& a = alone[c];
        const VCard& b = together[c];
        EXPECT_EQ(a.version, b.version);
        ASSERT_EQ(a.properties.size(), b.properties.size()) << read[c];
        for (std::size_t k = 0; k < a.properties.size(); ++k) {
            const VCardProperty& x = a.properties[k];
            const VCardProperty& y = b.properties[k];
            EXPECT_EQ(x.group, y.group) << read[c];
            EXPECT_EQ(x.name, y.name) << read[c];
            EXPECT_EQ(x.value, y.value) << read[c];
            EXPECT_EQ(x.rawValue, y.rawValue) << read[c];
            EXPECT_EQ(x.binary, y.binary) << read[c];
            EXPECT_EQ(x.line - a.line, y.line - b.line) << read[c];
            ASSERT_EQ(x.params.size(), y.params.size()) << read[c];
            for (std::size_t i = 0; i < x.params.size(); ++i) {
                EXPECT_EQ(x.params[i].name, y.params[i].name) << read[c];
                EXPECT_EQ(x.params[i].values, y.params[i].values) << read[c];
            }
            EXPECT_TRUE(kb::IsValidUtf8(y.value)) << read[c];
        }
    }
    // Chunks of any size, small or past the sixteen bytes read at once, give the same; so
    // does a reader that drops the raw values (an import's), but for those.
    for (int round = 0; round < 10; ++round) {
        const RawValues raw = round % 2 ? RawValues::Drop : RawValues::Keep;
        struct Sink : IVCardSink {
            bool OnCard(VCard& c) override {
                cards.push_back(c);
                return true;
            }
            bool OnBadCard(int, VCardFault) override { return true; }
            std::vector<VCard> cards;
        } sink;
        CVCardReader reader(raw);
        for (std::size_t pos = 0; pos < all.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 90, all.size() - pos);
            ASSERT_TRUE(reader.Feed(all.data() + pos, n, sink));
            pos += n;
        }
        ASSERT_TRUE(reader.Finish(sink));
        ASSERT_EQ(sink.cards.size(), together.size());
        for (std::size_t c = 0; c < together.size(); ++c) {
            ASSERT_EQ(sink.cards[c].properties.size(), together[c].properties.size());
            for (std::size_t k = 0; k < together[c].properties.size(); ++k) {
                const VCardProperty& x = sink.cards[c].properties[k];
                const VCardProperty& y = together[c].properties[k];
                EXPECT_EQ(x.name, y.name);
                EXPECT_EQ(x.group, y.group);
                EXPECT_EQ(x.value, y.value);
                EXPECT_EQ(x.rawValue, raw == RawValues::Keep ? y.rawValue : "");
                EXPECT_EQ(x.binary, y.binary);
                ASSERT_EQ(x.params.size(), y.params.size());
                for (std::size_t i = 0; i < x.params.size(); ++i)
                    EXPECT_EQ(x.params[i].values, y.params[i].values);
            }
        }
    }
}

TEST(VCardReader, TheSinkCanStopTheReading) {
    struct Sink : IVCardSink {
        bool OnCard(VCard&) override { return ++seen < 2; }
        bool OnBadCard(int, VCardFault) override { return true; }
        int seen = 0;
    } sink;
    const std::string text =
        Card("3.0", "FN:A\r\n") + Card("3.0", "FN:B\r\n") + Card("3.0", "FN:C\r\n");
    CVCardReader reader;
    EXPECT_FALSE(reader.Feed(text.data(), text.size(), sink));
    EXPECT_FALSE(reader.Finish(sink));
    EXPECT_EQ(sink.seen, 2);
}

TEST(VCardWriter, WritesExactBytesWithEscapesQuotedParametersAndCrLf) {
    VCard card;
    card.version = "4.0";
    VCardProperty note = VCardProperty::Text("NOTE", "a, b; c\\d\r\ne");
    note.group = "item1";
    card.properties.push_back(note);
    VCardProperty adr = VCardProperty::Structured("ADR", {"", "", "1 Main St", "Town"});
    adr.params.push_back({"TYPE", {"home", "pref"}});
    adr.params.push_back({"LABEL", {"1 Main St\nTown: \"here\""}});
    card.properties.push_back(adr);
    std::string out;
    CVCardWriter::AppendCard(card, out);
    EXPECT_EQ(out, "BEGIN:VCARD\r\nVERSION:4.0\r\n"
                   "item1.NOTE:a\\, b\\; c\\\\d\\ne\r\n"
                   "ADR;TYPE=home,pref;LABEL=\"1 Main St^nTown: ^'here^'\":;;1 Main St;Town\r\n"
                   "END:VCARD\r\n");
    // What was written reads back the same.
    const auto back = ParseVCards(out);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].Find("NOTE")->Text(), "a, b; c\\d\r\ne");
    EXPECT_EQ(back[0].Find("ADR")->ParamValues("LABEL"),
              std::vector<std::string>{"1 Main St\nTown: \"here\""});
}

TEST(VCardWriter, FoldsAtSeventyFiveOctets) {
    std::string out;
    CVCardWriter::AppendFolded(std::string(75, 'a'), out);
    EXPECT_EQ(out, std::string(75, 'a') + "\r\n");
    out.clear();
    CVCardWriter::AppendFolded(std::string(76, 'a') + std::string(74, 'b') + "c", out);
    EXPECT_EQ(out, std::string(75, 'a') + "\r\n a" + std::string(73, 'b') + "\r\n bc\r\n");
    out.clear();
    // 74 ASCII bytes then a two-byte letter: the letter moves whole to the next line.
    CVCardWriter::AppendFolded(std::string(74, 'a') + "\xC3\xA9", out);
    EXPECT_EQ(out, std::string(74, 'a') + "\r\n \xC3\xA9\r\n");
}

// Any UTF-8 text: every physical line at most 75 octets and valid UTF-8 on its own, and
// reading it back gives the text.
TEST(VCardWriter, FoldingNeverSplitsACharacterAndReadsBack) {
    std::mt19937 rng(42);
    const char32_t alphabet[] = {U'a',      U' ', U'\u00e9', U'\u20ac', U'\U0001F600',
                                 U'\u4e2d', U',', U';',      U'\\',     U'\n'};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % 200);
        for (int i = 0; i < len; ++i)
            kb::AppendUtf8(text, alphabet[rng() % std::size(alphabet)]);
        VCard card;
        card.properties.push_back(VCardProperty::Text("NOTE", text));
        std::string out;
        CVCardWriter::AppendCard(card, out);
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find("\r\n", start);
            ASSERT_NE(end, std::string::npos);
            const std::string line = out.substr(start, end - start);
            EXPECT_LE(line.size(), 75u);
            EXPECT_TRUE(kb::IsValidUtf8(line));
            start = end + 2;
        }
        const auto back = ParseVCards(out);
        ASSERT_EQ(back.size(), 1u);
        std::string expected;
        for (char c : text) {
            if (c == '\n')
                expected += "\r\n";
            else
                expected += c;
        }
        EXPECT_EQ(back[0].Find("NOTE")->Text(), expected);
    }
}

} // namespace
