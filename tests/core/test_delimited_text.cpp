#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "port/IFileSystem.h"
#include "transfer/CDelimitedReader.h"
#include "transfer/CDelimitedTokenizer.h"
#include "transfer/CDelimitedWriter.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/FileFormat.h"
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

struct Collected : ITokenConsumer {
    bool OnField(std::string_view value, int index) override {
        if (index == 0)
            current.clear();
        EXPECT_EQ(index, static_cast<int>(current.size()));
        current.emplace_back(value);
        return true;
    }
    bool OnRecordEnd() override {
        records.push_back(current);
        current.clear();
        return true;
    }
    Records records;
    std::vector<std::string> current;
};

struct Outcome {
    Records records;
    bool incompatible = false;
    long long line = 0;
    std::string errorText;
};

// Feeds the input in pieces cut at the given offsets.
Outcome Tokenize(const std::string& input, std::vector<std::size_t> cuts = {}) {
    CDelimitedTokenizer t;
    Collected c;
    Outcome out;
    std::size_t from = 0;
    cuts.push_back(input.size());
    TokenizeResult r = TokenizeResult::Continue;
    for (std::size_t cut : cuts) {
        r = t.Feed(input.data() + from, cut - from, c);
        from = cut;
        if (r != TokenizeResult::Continue)
            break;
    }
    if (r == TokenizeResult::Continue)
        r = t.Finish(c);
    out.records = c.records;
    out.incompatible = r == TokenizeResult::Incompatible;
    out.line = t.Line();
    out.errorText = t.ErrorText();
    return out;
}

std::string Show(const Records& records) {
    std::string s;
    for (const auto& rec : records) {
        s += "[";
        for (const auto& v : rec)
            s += "<" + v + ">";
        s += "]";
    }
    return s;
}

struct ReadCase {
    const char* name;
    std::string input;
    Records expected;
    bool incompatible = false;
};

const Records kAlphaLine = {{"Alpha", "Beta", "", "555-0101", "Business"}};

const ReadCase kReadCases[] = {
    {"TabOnlyIsUnquoted", "Alpha\tBeta\t\t555-0101\tBusiness\r\n", kAlphaLine},
    {"TabQuote", "\"Alpha\"\t\"Beta\"\t\t\"555-0101\"\t\"Business\"\r\n", kAlphaLine},
    {"CommaQuote", "\"Alpha\",\"Beta\",\"\",\"555-0101\",\"Business\"\r\n", kAlphaLine},
    {"CommaOnlyKeepsLeadingSpace", "Alpha, Jr.,Beta\r\n", {{"Alpha", " Jr.", "Beta"}}},
    {"CommaInsideQuotes", "\"Alpha, Jr.\"\t\"Beta\"\r\n", {{"Alpha, Jr.", "Beta"}}},
    {"LineBreakInsideQuotes", "\"line one\r\nline two\"\r\n", {{"line one\r\nline two"}}},
    {"QuoteInsideQuotedValueIsIncompatible", "\"say \"hi\"\"\r\n", {}, true},
    {"TextAfterClosingQuoteIsIncompatible", "\"a\"\r\n\"b\"x\r\n", {{"a"}}, true},
    {"LastLineWithoutLineEnd", "\"Alpha\"\r\n\"Beta\"", {{"Alpha"}, {"Beta"}}},
    {"ExtraEmptyLine", "\"Alpha\"\r\n\r\n", {{"Alpha"}, {""}}},
    {"FirstValueEmptyStillQuoted", "\t\"Beta\"\r\n", {{"", "Beta"}}},
    {"BareLineEnd", "\r\n", {{""}}},
    {"EmptyFile", "", {}},
    {"UnquotedSingleValueNoLineEnd", "abc", {{"abc"}}},
    // Files other programs write.
    {"SpreadsheetCsv",
     "Smith,\"Springfield, IL\",5'10\"\nDoe,\"two\nlines\",x\n",
     {{"Smith", "Springfield, IL", "5'10\""}, {"Doe", "two\nlines", "x"}}},
    {"DoubledQuoteIsOneQuote", "\"a\"\"b\"\r\n", {{"a\"b"}}},
    {"EmptyQuotedValue", "\"\",\"\"\r\n", {{"", ""}}},
    {"OnlyAQuote", "\"\"\"\"\n", {{"\""}}},
    {"QuotedModeUnixLineEnds", "\"a\",\"b\"\n\"c\",\"d\"\n", {{"a", "b"}, {"c", "d"}}},
    {"UnquotedUnixLineEnds", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}},
    {"QuoteInsideUnquotedValue", "a\"b,c\n", {{"a\"b", "c"}}},
    {"QuotedValueInUnquotedMode", "x,\"a\tb,c\r\nd\"\"e\"\n", {{"x", "a\tb,c\r\nd\"e"}}},
    {"TextAfterQuotedValueInUnquotedMode", "x,\"ab\"cd\"e\n", {{"x", "abcd\"e"}}},
    {"ByteOrderMarkSkippedQuoted", "\xEF\xBB\xBF\"Alpha\"\t\"Beta\"\r\n", {{"Alpha", "Beta"}}},
    {"ByteOrderMarkSkippedUnquoted",
     "\xEF\xBB\xBF"
     "Alpha,Beta\n",
     {{"Alpha", "Beta"}}},
    {"ByteOrderMarkOnly", "\xEF\xBB\xBF", {}},
    {"PartialByteOrderMarkIsText", "\xEF\xBBx\n", {{"\xEF\xBBx"}}},
    {"LineFeedFirstIsAnEmptyRecord", "\nabc", {{""}, {"abc"}}},
    {"CrInsideUnquotedValueDropped", "ab\rcd\r\n", {{"abcd"}}},
    {"UnterminatedQuoteFlushedAtEnd", "\"abc", {{"abc"}}},
    {"TrailingSeparator", "a,\n", {{"a", ""}}},
};

class ReadExamples : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadExamples, WholeAndSplitAtEveryOffset) {
    const ReadCase& c = GetParam();
    const Outcome whole = Tokenize(c.input);
    EXPECT_EQ(Show(whole.records), Show(c.expected));
    EXPECT_EQ(whole.incompatible, c.incompatible);
    for (std::size_t cut = 0; cut <= c.input.size(); ++cut) {
        const Outcome split = Tokenize(c.input, {cut});
        EXPECT_EQ(Show(split.records), Show(c.expected)) << "cut at " << cut;
        EXPECT_EQ(split.incompatible, c.incompatible) << "cut at " << cut;
    }
    // Byte by byte: every state change happens at a chunk boundary.
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < c.input.size(); ++i)
        everyByte.push_back(i);
    EXPECT_EQ(Show(Tokenize(c.input, everyByte).records), Show(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Tokenizer, ReadExamples, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Random text of the bytes that matter: read whole (where values lie in one chunk) and byte by
// byte (where every value is gathered across chunks), the pass must see the same values,
// lines and outcome.
TEST(Tokenizer, WholeAndByteByByteAgreeOnRandomText) {
    std::mt19937 rng(20261208);
    // Odd rounds: long values with few quotes, as notes are.
    const std::string alphabets[2] = {"\"\"\",,\t\r\n\nab \xC3",
                                      "\"\n\r,aaaaaaaaaaaaaaaaaaaaaaaab"};
    for (int round = 0; round < 3000; ++round) {
        const std::string& alphabet = alphabets[round % 2];
        std::string input;
        const int n = std::uniform_int_distribution<int>(0, round % 2 == 0 ? 60 : 300)(rng);
        for (int i = 0; i < n; ++i)
            input +=
                alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < input.size(); ++i)
            everyByte.push_back(i);
        const Outcome whole = Tokenize(input);
        const Outcome split = Tokenize(input, everyByte);
        ASSERT_EQ(Show(whole.records), Show(split.records)) << testing::PrintToString(input);
        ASSERT_EQ(whole.incompatible, split.incompatible) << testing::PrintToString(input);
        ASSERT_EQ(whole.line, split.line) << testing::PrintToString(input);
    }
}

TEST(Tokenizer, ConsumerStopsThePassAndCountsRecords) {
    struct StopAfterSecond : ITokenConsumer {
        bool OnField(std::string_view, int) override { return true; }
        bool OnRecordEnd() override { return ++n < 2; }
        int n = 0;
    } consumer;
    CDelimitedTokenizer t;
    const std::string text = "a\nb\nc\n";
    EXPECT_EQ(t.Feed(text.data(), text.size(), consumer), TokenizeResult::Stopped);
    EXPECT_EQ(consumer.n, 2);
    EXPECT_EQ(t.CompletedRecords(), 2);
    EXPECT_EQ(t.Finish(consumer), TokenizeResult::Stopped) << "a stopped pass stays stopped";
}

TEST(Tokenizer, ReadsSourcesInChunksOfAtMost8192Bytes) {
    struct CountingSource : IByteSource {
        std::size_t Read(char* buffer, std::size_t size) override {
            largest = std::max(largest, size);
            const std::size_t n = std::min(size, data.size() - pos);
            std::copy_n(data.data() + pos, n, buffer);
            pos += n;
            return n;
        }
        std::string data;
        std::size_t pos = 0, largest = 0;
    } source;
    // Values of many lengths, so that chunks end inside values, between them and between
    // records: every value must come out whole.
    auto padding = [](int i) { return std::string(static_cast<std::size_t>(i % 61), 'y'); };
    for (int i = 0; i < 3000; ++i)
        source.data += "\"Name " + std::to_string(i) + "\"\t\"x\"\t" + padding(i) + "\r\n";
    std::vector<std::vector<std::string>> records;
    std::vector<char> buffer;
    const DetectedFormat format;
    CDelimitedReader reader(format);
    EXPECT_EQ(reader.Run(
                  source,
                  [&](std::span<const std::string_view> fields, long long) {
                      records.emplace_back(fields.begin(), fields.end());
                      return true;
                  },
                  buffer),
              TokenizeResult::Completed);
    EXPECT_EQ(source.largest, 8192u);
    ASSERT_EQ(records.size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        const std::vector<std::string> expected = {"Name " + std::to_string(i), "x", padding(i)};
        ASSERT_EQ(records[static_cast<std::size_t>(i)], expected) << i;
    }
}

// --- writing ---------------------------------------------------------------

struct StringSink : IByteSink {
    void Write(const char* data, std::size_t size) override { bytes.append(data, size); }
    void Commit() override {}
    std::string bytes;
};

CContactRecord AlphaBeta() {
    CContactRecord r;
    r.m_strLastName = "Alpha";
    r.m_strFirstName = "Beta";
    r.m_strItem[0] = "555-0101";
    r.m_nItemLabel[0] = LABEL_HOME;
    r.m_nCategory = 1;
    return r;
}

std::vector<int> Columns(std::initializer_list<const char*> names) {
    std::vector<int> out;
    for (const char* n : names)
        out.push_back(transfer::ResolveField(n));
    return out;
}

struct WriteCase {
    const char* name;
    std::vector<int> columns;
    ExportVariant variant;
    std::string expected; // one record and its line end
    std::string notes = {};
};

const std::vector<int> kFive = Columns({"Last Name", "First Name", "Title", "Home", "Category"});

const WriteCase kWriteCases[] = {
    {"TabFive", kFive, ExportVariant::Tab, "\"Alpha\"\t\"Beta\"\t\t\"555-0101\"\t\"Business\"\r\n"},
    {"CommaFive", kFive, ExportVariant::CommaQuote,
     "\"Alpha\",\"Beta\",\"\",\"555-0101\",\"Business\"\r\n"},
    {"TabKeepsSeparatorBeforeEmptyLast", Columns({"Last Name", "First Name", "Title"}),
     ExportVariant::Tab, "\"Alpha\"\t\"Beta\"\t\r\n"},
    {"CommaEmptyLast", Columns({"Last Name", "First Name", "Title"}), ExportVariant::CommaQuote,
     "\"Alpha\",\"Beta\",\"\"\r\n"},
    {"TabFirstValueEmpty", Columns({"Title", "Last Name"}), ExportVariant::Tab, "\t\"Alpha\"\r\n"},
    {"TabSingleEmptyValueIsBareLineEnd", Columns({"Title"}), ExportVariant::Tab, "\r\n"},
    {"CommaNotesLineBreak", Columns({"Notes"}), ExportVariant::CommaQuote,
     "\"line one\r\nline two\"\r\n", "line one\r\nline two"},
    {"QuoteInsideValueDoubled", Columns({"Notes"}), ExportVariant::Tab, "\"say \"\"hi\"\"\"\r\n",
     "say \"hi\""},
    {"CaseOfNamesIgnored", Columns({"last name", "CATEGORY"}), ExportVariant::CommaQuote,
     "\"Alpha\",\"Business\"\r\n"},
};

class WriteExamples : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteExamples, BytesAndReadBack) {
    const WriteCase& c = GetParam();
    CCategoryList categories;
    categories.ResetToDefaults();
    CContactRecord r = AlphaBeta();
    r.m_strNotes = c.notes;
    StringSink sink;
    CDelimitedWriter w(sink);
    w.WriteRecord(r, c.columns, c.variant, categories);
    w.WriteLineEnd();
    w.Flush();
    EXPECT_EQ(sink.bytes, c.expected);
    // What is written reads back as the record's values.
    const Outcome back = Tokenize(sink.bytes);
    ASSERT_FALSE(back.incompatible);
    ASSERT_EQ(back.records.size(), 1u);
    ASSERT_EQ(back.records[0].size(), c.columns.size());
    for (std::size_t j = 0; j < c.columns.size(); ++j)
        EXPECT_EQ(back.records[0][j],
                  transfer::FieldValue(r, static_cast<Field>(c.columns[j]), categories));
}

INSTANTIATE_TEST_SUITE_P(Writer, WriteExamples, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Vocabulary, ResolvesNamesAndValues) {
    EXPECT_EQ(transfer::ResolveField("e-mail"), static_cast<int>(Field::EMail));
    EXPECT_EQ(transfer::ResolveField("Fax"), static_cast<int>(Field::Fax));
    EXPECT_EQ(transfer::ResolveField("Phone"), -1);
    EXPECT_EQ(transfer::ResolveField(""), -1);
    CCategoryList categories;
    categories.ResetToDefaults();
    CContactRecord r;
    r.m_nCategory = 9;
    EXPECT_EQ(transfer::FieldValue(r, Field::Category, categories), "Unfiled");
    // An item column gives the first item with its label, not its slot.
    r.m_strItem[3] = "pager";
    r.m_nItemLabel[3] = LABEL_PAGER;
    r.m_strItem[5] = "second pager";
    r.m_nItemLabel[5] = LABEL_PAGER;
    r.m_strOtherInfo[2] = "third";
    EXPECT_EQ(transfer::FieldValue(r, Field::Pager, categories), "pager");
    EXPECT_EQ(transfer::FieldValue(r, Field::Mobile, categories), "");
    EXPECT_EQ(transfer::FieldValue(r, Field::OtherInfo3, categories), "third");
}

// Any value, whatever bytes it holds, survives writing and reading in either variant,
// also when the file is read in pieces of every size.
TEST(Writer, EveryValueRoundTrips) {
    std::mt19937 rng(1234);
    const std::string alphabet = "ab \"\t,\r\n'";
    CCategoryList categories;
    categories.ResetToDefaults();
    const std::vector<int> cols = Columns({"Notes", "Last Name", "Address", "Title"});
    for (ExportVariant variant : {ExportVariant::Tab, ExportVariant::CommaQuote}) {
        StringSink sink;
        CDelimitedWriter w(sink);
        Records expected;
        for (int i = 0; i < 300; ++i) {
            CContactRecord r;
            for (CRecordText* s :
                 {&r.m_strNotes, &r.m_strLastName, &r.m_strAddress, &r.m_strTitle}) {
                const int len = static_cast<int>(rng() % 6);
                for (int k = 0; k < len; ++k)
                    s->push_back(alphabet[rng() % alphabet.size()]);
            }
            w.WriteRecord(r, cols, variant, categories);
            w.WriteLineEnd();
            expected.push_back({r.m_strNotes, r.m_strLastName, r.m_strAddress, r.m_strTitle});
        }
        w.Flush();
        const Outcome whole = Tokenize(sink.bytes);
        ASSERT_FALSE(whole.incompatible);
        EXPECT_EQ(Show(whole.records), Show(expected));
        for (std::size_t cut : {std::size_t{1}, std::size_t{7}, sink.bytes.size() / 2}) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = cut; at < sink.bytes.size(); at += cut)
                cuts.push_back(at);
            EXPECT_EQ(Show(Tokenize(sink.bytes, cuts).records), Show(expected)) << cut;
        }
    }
}

TEST(Writer, FailedWriteIsNotRepeated) {
    struct FailingSink : IByteSink {
        void Write(const char*, std::size_t size) override {
            attempted += size;
            throw CFileException(CFileException::DiskFull, "x");
        }
        void Commit() override {}
        std::size_t attempted = 0;
    } sink;
    CCategoryList categories;
    CDelimitedWriter w(sink);
    CContactRecord r;
    r.m_strNotes = std::string(100000, 'n'); // larger than the writer's buffer
    EXPECT_THROW(w.WriteRecord(r, Columns({"Notes"}), ExportVariant::Tab, categories),
                 CFileException);
    const std::size_t first = sink.attempted;
    EXPECT_NO_THROW(w.Flush()) << "the failed piece was dropped, not kept for another try";
    EXPECT_EQ(sink.attempted, first);
}

} // namespace
