// The data file's object stream, byte for byte, and the faults the reader detects.
#include "BookBytes.h"
#include "MemoryBytes.h"
#include "model/CArchive.h"
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include <gtest/gtest.h>
#include <random>

// Everything here is local to this file, so that case tables of other suites with
// the same names cannot clash with these.
namespace {

constexpr const char* kWorkedExample = "01 00"
                                       "FF FF 00 00 09 00"
                                       "43 43 61 74 65 67 6F 72 79"
                                       "08 42 75 73 69 6E 65 73 73"
                                       "01 00"
                                       "FF FF 00 00 0E 00"
                                       "43 43 6F 6E 74 61 63 74 52 65 63 6F 72 64"
                                       "03 4C 65 65"
                                       "03 41 6E 6E"
                                       "00 00"
                                       "01 00"
                                       "00"
                                       "08 35 35 35 2D 31 32 33 34"
                                       "00 00 00 00 00 00"
                                       "00 FF FF FF FF FF FF"
                                       "00 00 00 00 00"
                                       "00 00 00 00"
                                       "00";

constexpr const char* kEmptyBook = "02 00"
                                   "FF FF 00 00 09 00 43 43 61 74 65 67 6F 72 79"
                                   "08 42 75 73 69 6E 65 73 73"
                                   "01 80 08 50 65 72 73 6F 6E 61 6C"
                                   "00 00";

std::unique_ptr<CContactRecord> AnnLee() {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = "Lee";
    r->m_strFirstName = "Ann";
    r->m_nCategory = 1;
    r->m_strItem[0] = "555-1234";
    r->m_nItemLabel[0] = LABEL_HOME;
    return r;
}

// A record with every field set, so a round trip shows any field written in the wrong
// place.
std::unique_ptr<CContactRecord> FullRecord(int n) {
    auto r = std::make_unique<CContactRecord>();
    const std::string k = std::to_string(n);
    r->m_strFirstName = "First" + k;
    r->m_strLastName = "Last" + k;
    r->m_strTitle = "Title" + k;
    r->m_strOtherRef = "Ref" + k;
    r->m_nCategory = static_cast<std::uint16_t>(0xA500 + n);
    r->m_nDefaultItem = static_cast<std::uint8_t>(n % 7);
    for (int i = 0; i < CContactRecord::kItemCount; ++i) {
        r->m_strItem[i] = "item" + std::to_string(i) + "/" + k;
        r->m_nItemLabel[i] = static_cast<std::uint8_t>((i + n) % 8 == 7 ? 255 : (i + n) % 8);
    }
    r->m_strAddress = "1 Road\r\nFlat " + k;
    r->m_strCity = "City" + k;
    r->m_strState = "ST";
    r->m_strZip = "0" + k;
    r->m_strCountry = "Country";
    for (int i = 0; i < CContactRecord::kOtherInfoCount; ++i)
        r->m_strOtherInfo[i] = "info" + std::to_string(i);
    r->m_strNotes = "line one\r\nline two " + k;
    return r;
}

CCategoryList Categories(std::initializer_list<const char*> stored) {
    CCategoryList list;
    list.AddTail("Unfiled");
    for (const char* name : stored)
        list.AddTail(name);
    return list;
}

TEST(DataFileBytes, WorkedExampleIsWrittenAndReadByteForByte) {
    CCategoryList categories = Categories({"Business"});
    CRecordList records;
    records.push_back(AnnLee());
    const std::string bytes = WriteBook(categories, records);
    ASSERT_EQ(bytes.size(), 93u);
    EXPECT_EQ(ToHex(bytes), ToHex(HexBytes(kWorkedExample)));

    CCategoryList readCategories;
    CRecordList readRecords;
    ASSERT_FALSE(ReadBook(bytes, readCategories, readRecords));
    EXPECT_EQ(readCategories.FillComboNames(), (std::vector<std::string>{"Unfiled", "Business"}));
    ASSERT_EQ(readRecords.size(), 1u);
    EXPECT_EQ(*readRecords[0], *AnnLee());
}

TEST(DataFileBytes, EmptyBookWithDefaultCategoriesIs39Bytes) {
    CCategoryList categories;
    categories.ResetToDefaults();
    CRecordList records;
    const std::string bytes = WriteBook(categories, records);
    EXPECT_EQ(ToHex(bytes), ToHex(HexBytes(kEmptyBook)));
    EXPECT_EQ(bytes.size(), 39u);
}

TEST(DataFileBytes, EveryFieldSurvivesARoundTripInSmallReads) {
    CCategoryList categories = Categories({"Business", "Personal", "Golf"});
    CRecordList records;
    for (int i = 0; i < 1200; ++i) // several buffers' worth
        records.push_back(FullRecord(i));
    const std::string bytes = WriteBook(categories, records);
    ASSERT_GT(bytes.size(), 3 * CArchive::kBufferSize);
    for (std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{4095}}) {
        CCategoryList c;
        CRecordList r;
        ASSERT_FALSE(ReadBook(bytes, c, r, chunk)) << "chunk " << chunk;
        EXPECT_EQ(c.FillComboNames(), categories.FillComboNames());
        ASSERT_EQ(r.size(), records.size());
        for (std::size_t i = 0; i < r.size(); ++i)
            ASSERT_EQ(*r[i], *records[i]) << "record " << i;
    }
}

TEST(DataFileBytes, WritesWholeBuffersAndTheRestOnFlush) {
    CCategoryList categories = Categories({"Business"});
    CRecordList records;
    for (int i = 0; i < 400; ++i) // more than a buffer's worth
        records.push_back(FullRecord(i));
    MemorySink sink;
    CArchive ar(sink);
    categories.SerializeCategories(ar);
    SerializeRecords(ar, records);
    const std::size_t beforeFlush = sink.bytes.size();
    EXPECT_EQ(beforeFlush % CArchive::kBufferSize, 0u);
    EXPECT_GT(beforeFlush, 0u);
    ar.Flush();
    EXPECT_GT(sink.bytes.size(), beforeFlush);
    EXPECT_LT(sink.bytes.size() - beforeFlush, CArchive::kBufferSize);
}

TEST(DataFileBytes, ARecordIsWrittenTheSameWhereverItFallsInTheBuffer) {
    // Random records, some with texts of 255 bytes or more, written one after another so
    // that they fall at every place in the buffer, against the field-by-field writes.
    std::mt19937 random(5);
    const std::size_t lengths[] = {0, 0, 1, 5, 15, 16, 17, 31, 40, 254, 255, 300};
    auto text = [&] {
        std::string t(lengths[random() % std::size(lengths)], '\0');
        for (char& c : t)
            c = static_cast<char>(random());
        return t;
    };
    MemorySink fast, plain;
    CArchive a(fast), b(plain);
    for (int n = 0; n < 3000; ++n) {
        CContactRecord r;
        r.m_strFirstName = text();
        r.m_strLastName = text();
        r.m_strTitle = text();
        r.m_strOtherRef = text();
        r.m_nCategory = static_cast<std::uint16_t>(random());
        r.m_nDefaultItem = static_cast<std::uint8_t>(random());
        for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
            r.m_strItem[i] = text();
            r.m_nItemLabel[i] = static_cast<std::uint8_t>(random());
        }
        for (CRecordText* t : {&r.m_strAddress, &r.m_strCity, &r.m_strState, &r.m_strZip,
                               &r.m_strCountry, &r.m_strOtherInfo[0], &r.m_strOtherInfo[1],
                               &r.m_strOtherInfo[2], &r.m_strOtherInfo[3], &r.m_strNotes})
            *t = text();
        if (n % 7 == 0)
            r = CContactRecord(); // no text at all
        r.Serialize(a);
        b.WriteString(r.m_strLastName);
        b.WriteString(r.m_strFirstName);
        b.WriteString(r.m_strTitle);
        b.WriteString(r.m_strOtherRef);
        b.WriteWord(r.m_nCategory);
        b.WriteByte(r.m_nDefaultItem);
        for (const auto& item : r.m_strItem)
            b.WriteString(item);
        for (const auto label : r.m_nItemLabel)
            b.WriteByte(label);
        for (const CRecordText* t : {&r.m_strAddress, &r.m_strCity, &r.m_strState, &r.m_strZip,
                                     &r.m_strCountry, &r.m_strOtherInfo[0], &r.m_strOtherInfo[1],
                                     &r.m_strOtherInfo[2], &r.m_strOtherInfo[3], &r.m_strNotes})
            b.WriteString(*t);
    }
    a.Flush();
    b.Flush();
    ASSERT_GT(plain.bytes.size(), 4 * CArchive::kBufferSize);
    ASSERT_EQ(fast.bytes.size(), plain.bytes.size());
    EXPECT_TRUE(fast.bytes == plain.bytes);
}

// ---- strings and counts at their boundaries ----

struct LengthCase {
    std::size_t length;
    const char* header; // the bytes in front of the text
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.length << " bytes";
}

class StringLength : public testing::TestWithParam<LengthCase> {};

TEST_P(StringLength, TakesTheShortestHeaderAndReadsBack) {
    const auto& c = GetParam();
    const std::string text(c.length, 'x');
    MemorySink sink;
    {
        CArchive ar(sink);
        ar.WriteString(text);
        ar.Flush();
    }
    const std::string header = HexBytes(c.header);
    ASSERT_EQ(sink.bytes.size(), header.size() + c.length);
    EXPECT_EQ(ToHex(sink.bytes.substr(0, header.size())), ToHex(header));

    MemorySource source(sink.bytes + "tail");
    CArchive ar(source);
    EXPECT_EQ(ar.ReadString(), text);
    EXPECT_EQ(ar.ReadByte(), 't') << "the reader must stop right after the text";
}

INSTANTIATE_TEST_SUITE_P(Boundaries, StringLength,
                         testing::Values(LengthCase{0, "00"}, LengthCase{1, "01"},
                                         LengthCase{254, "FE"}, LengthCase{255, "FF FF 00"},
                                         LengthCase{256, "FF 00 01"}, LengthCase{65533, "FF FD FF"},
                                         LengthCase{65534, "FF FF FF FE FF 00 00"},
                                         LengthCase{65535, "FF FF FF FF FF 00 00"},
                                         LengthCase{70000, "FF FF FF 70 11 01 00"}));

struct CountCase {
    std::size_t count;
    const char* bytes;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.count;
}

class CountEncoding : public testing::TestWithParam<CountCase> {};

TEST_P(CountEncoding, UsesAWordBelow65535AndADwordFromThere) {
    MemorySink sink;
    {
        CArchive ar(sink);
        ar.WriteCount(GetParam().count);
        ar.Flush();
    }
    EXPECT_EQ(ToHex(sink.bytes), ToHex(HexBytes(GetParam().bytes)));
    MemorySource source(sink.bytes);
    CArchive ar(source);
    EXPECT_EQ(ar.ReadCount(), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CountEncoding,
                         testing::Values(CountCase{0, "00 00"}, CountCase{65534, "FE FF"},
                                         CountCase{65535, "FF FF FF FF 00 00"},
                                         CountCase{65536, "FF FF 00 00 01 00"},
                                         CountCase{0xFFFFFFFF, "FF FF FF FF FF FF"}));

TEST(DataFileBytes, ListsOf65534And65535CategoriesRoundTrip) {
    for (std::size_t stored : {std::size_t{65534}, std::size_t{65535}}) {
        CCategoryList categories;
        categories.AddTail("Unfiled");
        for (std::size_t i = 0; i < stored; ++i)
            categories.AddTail("c");
        CRecordList records;
        const std::string bytes = WriteBook(categories, records);
        const std::string head = stored < 65535 ? "FE FF FF FF" : "FF FF FF FF 00 00 FF FF";
        EXPECT_EQ(ToHex(bytes.substr(0, HexBytes(head).size())), head);
        CCategoryList read;
        CRecordList readRecords;
        ASSERT_FALSE(ReadBook(bytes, read, readRecords));
        EXPECT_EQ(read.GetCount(), stored + 1);
    }
}

// ---- class tags ----

struct TagCase {
    std::size_t storedCategories;
    const char* secondRecordTag; // the class tag in front of the second record
};

void PrintTo(const TagCase& c, std::ostream* os) {
    *os << c.storedCategories << " stored categories";
}

class RecordClassTag : public testing::TestWithParam<TagCase> {};

TEST_P(RecordClassTag, LaterRecordsReferToTheClassByItsNumber) {
    const auto& c = GetParam();
    CCategoryList categories;
    categories.AddTail("Unfiled");
    for (std::size_t i = 0; i < c.storedCategories; ++i)
        categories.AddTail("Cat" + std::to_string(i));
    CRecordList records;
    records.push_back(FullRecord(1));
    records.push_back(FullRecord(2));
    records.push_back(FullRecord(3));
    const std::string bytes = WriteBook(categories, records);

    // The second record begins right after the first: find it by writing one record less.
    CRecordList first;
    first.push_back(FullRecord(1));
    const std::string oneRecord = WriteBook(categories, first);
    const std::string tag = HexBytes(c.secondRecordTag);
    EXPECT_EQ(ToHex(bytes.substr(oneRecord.size(), tag.size())), ToHex(tag));

    CCategoryList readCategories;
    CRecordList readRecords;
    ASSERT_FALSE(ReadBook(bytes, readCategories, readRecords));
    ASSERT_EQ(readRecords.size(), 3u);
    EXPECT_EQ(*readRecords[2], *records[2]);
    EXPECT_EQ(readCategories.GetCount(), c.storedCategories + 1);
}

INSTANTIATE_TEST_SUITE_P(Categories, RecordClassTag,
                         testing::Values(TagCase{0, "01 80"}, TagCase{1, "03 80"},
                                         TagCase{2, "04 80"}, TagCase{5, "07 80"},
                                         // class number 32766 is the last of the short form
                                         TagCase{32764, "FE FF"},
                                         // from 32767 on: 7F FF and a DWORD with the top bit set
                                         TagCase{32765, "FF 7F FF 7F 00 80"},
                                         TagCase{40000, "FF 7F 42 9C 00 80"}));

TEST(DataFileBytes, CategoriesAfterTheFirstCarryClassTag8001) {
    CCategoryList categories = Categories({"A", "B", "C"});
    CRecordList records;
    const std::string bytes = WriteBook(categories, records);
    // 03 00 | FF FF 00 00 09 00 CCategory | 01 41 | 01 80 01 42 | 01 80 01 43 | 00 00
    EXPECT_EQ(ToHex(bytes.substr(17, 10)), "01 41 01 80 01 42 01 80 01 43");
}

// ---- faults ----

struct FaultCase {
    const char* name;
    const char* bytes;
    CArchiveException::Cause cause;
    std::size_t categoriesRead; // including the "Unfiled" put at the head after success
    std::size_t recordsRead;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class ReaderFault : public testing::TestWithParam<FaultCase> {};

TEST_P(ReaderFault, IsReportedWithItsCause) {
    const auto& c = GetParam();
    CCategoryList categories;
    CRecordList records;
    const auto fault = ReadBook(HexBytes(c.bytes), categories, records);
    ASSERT_TRUE(fault.has_value()) << "the file must be refused";
    EXPECT_EQ(*fault, c.cause);
    EXPECT_EQ(categories.GetCount(), c.categoriesRead);
    EXPECT_EQ(records.size(), c.recordsRead);
}

// "CCategory" and a category "A" as the first stored object.
#define CATEGORY_CLASS "FF FF 00 00 09 00 43 43 61 74 65 67 6F 72 79"
#define RECORD_CLASS "FF FF 00 00 0E 00 43 43 6F 6E 74 61 63 74 52 65 63 6F 72 64"
#define EMPTY_RECORD_FIELDS                                                                        \
    "00 00 00 00 01 00 00 00 00 00 00 00 00 00 FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00 00 00"

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderFault,
    testing::Values(
        FaultCase{"EmptyFile", "", CArchiveException::EndOfFile, 0, 0},
        FaultCase{"CountCut", "01", CArchiveException::EndOfFile, 0, 0},
        FaultCase{"DwordCountCut", "FF FF 05 00", CArchiveException::EndOfFile, 0, 0},
        FaultCase{"SchemaOne",
                  "00 00 01 00 FF FF 01 00 0E 00 43 43 6F 6E 74 61 63 74 52 65 63 6F 72 64",
                  CArchiveException::BadSchema, 1, 0},
        FaultCase{"CategorySchemaOne", "01 00 FF FF 01 00 09 00 43 43 61 74 65 67 6F 72 79 00",
                  CArchiveException::BadSchema, 0, 0},
        FaultCase{"ClassNameOf64Bytes",
                  "01 00 FF FF 00 00 40 00"
                  "41414141414141414141414141414141414141414141414141414141414141414141414141414141"
                  "414141414141414141414141414141414141414141414141",
                  CArchiveException::BadClass, 0, 0},
        FaultCase{"ClassNameOf63UnknownBytes",
                  "01 00 FF FF 00 00 3F 00"
                  "41414141414141414141414141414141414141414141414141414141414141414141414141414141"
                  "4141414141414141414141414141414141414141414141",
                  CArchiveException::BadClass, 0, 0},
        FaultCase{"ClassNameCutShort", "01 00 FF FF 00 00 09 00 43 43 61 74",
                  CArchiveException::BadClass, 0, 0},
        FaultCase{"ClassDescriptionCutBeforeName", "01 00 FF FF 00 00 09",
                  CArchiveException::EndOfFile, 0, 0},
        FaultCase{"ClassNameInOtherCase", "01 00 FF FF 00 00 09 00 63 63 61 74 65 67 6F 72 79 00",
                  CArchiveException::BadClass, 0, 0},
        FaultCase{"UnknownClassReference", "01 00 05 80", CArchiveException::BadIndex, 0, 0},
        FaultCase{"UnknownLongClassReference", "01 00 FF 7F 09 00 00 80",
                  CArchiveException::BadIndex, 0, 0},
        FaultCase{"ClassReferenceToAnObject", "02 00 " CATEGORY_CLASS " 01 41 02 80 01 42",
                  CArchiveException::BadIndex, 1, 0},
        FaultCase{"BackReferenceNotGivenOut", "01 00 09 00", CArchiveException::BadIndex, 0, 0},
        FaultCase{"BackReferenceToAClass", "02 00 " CATEGORY_CLASS " 01 41 01 00",
                  CArchiveException::BadIndex, 1, 0},
        FaultCase{"RepeatedElement", "02 00 " CATEGORY_CLASS " 01 41 02 00",
                  CArchiveException::Generic, 1, 0},
        FaultCase{"LongRepeatedElement", "02 00 " CATEGORY_CLASS " 01 41 FF 7F 02 00 00 00",
                  CArchiveException::Generic, 1, 0},
        FaultCase{"NullElement", "01 00 00 00", CArchiveException::Generic, 0, 0},
        FaultCase{"RecordAmongCategories", "01 00 " RECORD_CLASS " " EMPTY_RECORD_FIELDS,
                  CArchiveException::BadClass, 0, 0},
        FaultCase{"CategoryAmongRecords", "01 00 " CATEGORY_CLASS " 01 41 01 00 01 80 01 42",
                  CArchiveException::BadClass, 2, 0},
        FaultCase{"SecondRecordCut",
                  "00 00 02 00 " RECORD_CLASS " " EMPTY_RECORD_FIELDS " 01 80 00 00 00",
                  CArchiveException::EndOfFile, 1, 1},
        // A 20-byte file that claims four billion records, or a 4 GB string.
        FaultCase{"HugeRecordCount", "00 00 FF FF FE FF FF FF " RECORD_CLASS,
                  CArchiveException::EndOfFile, 1, 0},
        FaultCase{"HugeString", "01 00 " CATEGORY_CLASS " FF FF FF FF FF FF FF 41 42",
                  CArchiveException::EndOfFile, 0, 0},
        FaultCase{"HugeWideString", "01 00 " CATEGORY_CLASS " FF FE FF FF FF FF FF FF FF 41 00",
                  CArchiveException::EndOfFile, 0, 0}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(DataFileReader, AcceptsTheLongClassReferenceForm) {
    // A category written with 7F FF and 80000001 instead of 01 80.
    const std::string bytes =
        HexBytes("02 00 " CATEGORY_CLASS " 01 41 FF 7F 01 00 00 80 01 42 00 00");
    CCategoryList categories;
    CRecordList records;
    ASSERT_FALSE(ReadBook(bytes, categories, records));
    EXPECT_EQ(categories.FillComboNames(), (std::vector<std::string>{"Unfiled", "A", "B"}));
}

TEST(DataFileReader, ACutAtEveryOffsetFailsKeepingWhatWasRead) {
    CCategoryList categories = Categories({"Business", "Personal"});
    CRecordList records;
    for (int i = 0; i < 3; ++i)
        records.push_back(FullRecord(i));
    const std::string bytes = WriteBook(categories, records);

    // Where each record ends, to know how many a cut leaves complete.
    std::vector<std::size_t> recordEnds;
    for (std::size_t n = 1; n <= records.size(); ++n) {
        CRecordList firstN;
        for (std::size_t i = 0; i < n; ++i)
            firstN.push_back(FullRecord(static_cast<int>(i)));
        recordEnds.push_back(WriteBook(categories, firstN).size());
    }
    CRecordList none;
    const std::size_t categoriesEnd = WriteBook(categories, none).size() - 2;
    // A class name cut short names no class; every other cut is an end of file.
    const auto inName = [&](std::size_t cut, std::string_view name) {
        const std::size_t at = bytes.find(name);
        return cut >= at && cut < at + name.size();
    };

    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        CCategoryList c;
        CRecordList r;
        const auto fault = ReadBook(bytes.substr(0, cut), c, r);
        ASSERT_TRUE(fault.has_value()) << "cut at " << cut;
        const bool cutName = inName(cut, "CCategory") || inName(cut, "CContactRecord");
        EXPECT_EQ(*fault, cutName ? CArchiveException::BadClass : CArchiveException::EndOfFile)
            << "cut at " << cut;
        std::size_t complete = 0;
        while (complete < recordEnds.size() && recordEnds[complete] <= cut)
            ++complete;
        ASSERT_EQ(r.size(), complete) << "cut at " << cut;
        for (std::size_t i = 0; i < complete; ++i)
            EXPECT_EQ(*r[i], *records[i]);
        if (cut >= categoriesEnd)
            EXPECT_EQ(c.GetCount(), 3u) << "cut at " << cut;
        else
            EXPECT_LT(c.GetCount(), 3u) << "cut at " << cut;
    }
}

TEST(DataFileReader, RefusesBytesAfterTheRecords) {
    CCategoryList categories;
    CRecordList records;
    EXPECT_EQ(ReadBook(HexBytes(kWorkedExample) + "garbage", categories, records),
              CArchiveException::Generic);
    EXPECT_EQ(records.size(), 1u);
}

struct WideCase {
    const char* name;
    const char* bytes;
    const char* utf8;
};

void PrintTo(const WideCase& c, std::ostream* os) {
    *os << c.name;
}

class WideString : public testing::TestWithParam<WideCase> {};

TEST_P(WideString, IsReadAsUtf8) {
    MemorySource source(HexBytes(GetParam().bytes) + "!");
    CArchive ar(source);
    EXPECT_EQ(ToHex(ar.ReadString()), ToHex(GetParam().utf8));
    EXPECT_EQ(ar.ReadByte(), '!');
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WideString,
    testing::Values(WideCase{"Empty", "FF FE FF 00", ""},
                    // "Aé€" and a character beyond the basic plane (U+1F600, a surrogate pair)
                    WideCase{"Mixed", "FF FE FF 05 41 00 E9 00 AC 20 3D D8 00 DE",
                             "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
                    WideCase{"WordLength", "FF FE FF FF 01 00 42 00", "B"},
                    WideCase{"DwordLength", "FF FE FF FF FF FF 01 00 00 00 43 00", "C"},
                    WideCase{"LoneSurrogates", "FF FE FF 03 00 DC 41 00 00 D8",
                             "\xEF\xBF\xBD"
                             "A\xEF\xBF\xBD"}),
    [](const testing::TestParamInfo<WideCase>& info) { return std::string(info.param.name); });

// An archive whose counter starts near its limit.
class NearLimitArchive : public CArchive {
public:
    template <class Bytes> explicit NearLimitArchive(Bytes& bytes) : CArchive(bytes) {
        SkipNumbers(kMaxMapCount - 1);
    }
};

TEST(DataFileCounter, TheNumberAfterTheLimitIsABadIndexForWriterAndReader) {
    {
        MemorySink sink;
        NearLimitArchive ar(sink);
        ar.WriteObjectTag(kCategoryClass); // class and object take the last two numbers
        EXPECT_EQ(ar.NextNumber(), CArchive::kMaxMapCount + 1);
        try {
            ar.WriteObjectTag(kCategoryClass);
            FAIL() << "the writer must refuse one more object";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::BadIndex);
        }
    }
    {
        MemorySource source(HexBytes(CATEGORY_CLASS " 00 01 80 00"));
        NearLimitArchive ar(source);
        ar.ReadObjectTag(kCategoryClass);
        EXPECT_EQ(ar.ReadString(), "");
        try {
            ar.ReadObjectTag(kCategoryClass);
            FAIL() << "the reader must refuse one more object";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::BadIndex);
        }
    }
}

TEST(DataFileReader, DamagedBytesAreRefusedOrReadNeverAnythingElse) {
    CCategoryList categories = Categories({"Business", "Golf"});
    CRecordList records;
    for (int i = 0; i < 4; ++i)
        records.push_back(FullRecord(i));
    const std::string good = WriteBook(categories, records);
    std::uint64_t state = 12345;
    const auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>(state >> 33);
    };
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        for (std::size_t flips = 1 + next() % 4; flips > 0; --flips)
            bytes[next() % bytes.size()] = static_cast<char>(next() & 0xFF);
        CCategoryList c;
        CRecordList r;
        // Only archive faults may come out; anything else fails the test.
        refused += ReadBook(bytes, c, r).has_value();
    }
    EXPECT_GT(refused, 100);
}

} // namespace
