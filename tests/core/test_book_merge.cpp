// Merging another program's changes to the data file into a book that has changes of its
// own: nothing either side added, edited or kept is lost.
#include "edit/FilingRule.h"
#include "model/BookMerge.h"
#include "model/NoCase.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first,
                                       std::uint16_t category = 0) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    r->m_nCategory = category;
    return r;
}

struct Book {
    CRecordList records;
    CCategoryList categories;
    Book() {
        categories.ResetToDefaults(); // Unfiled, Business, Personal
        categories.m_pRecords = &records;
    }
    Book Copy() const {
        Book b;
        b.categories.RemoveAll();
        for (std::size_t i = 0; i < categories.GetCount(); ++i)
            b.categories.AddTail(categories.At(i).m_strName);
        for (const auto& r : records)
            b.records.push_back(std::make_unique<CContactRecord>(*r));
        return b;
    }
    CContactRecord& Named(const std::string& last) {
        for (const auto& r : records)
            if (r->m_strLastName == last)
                return *r;
        throw std::runtime_error("no " + last);
    }
    void Remove(const std::string& last) {
        records.erase(std::find_if(records.begin(), records.end(),
                                   [&](const auto& r) { return r->m_strLastName == last; }));
    }
    // "Last, First [Category] phone" of every record, in list order.
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (const auto& r : records)
            out.push_back(r->m_strLastName + ", " + r->m_strFirstName + " [" +
                          categories.NameOf(r->m_nCategory) + "] " + r->m_strItem[0]);
        return out;
    }
};

CMergeOutcome Merge(Book& ours, const CBookSnapshot& base, Book& file) {
    return MergeChangesFromFile(ours.records, ours.categories, base, file.records, file.categories);
}

} // namespace

TEST(BookMerge, ContentIsComparedFieldByFieldWithTheCategoryByName) {
    CCategoryList a, b;
    a.ResetToDefaults();
    b.ResetToDefaults();
    a.AddTail("Golf");
    b.AddTail("Chess");
    b.AddTail("Golf");
    const auto ann = Person("Adams", "Ann", 3);
    auto same = Person("Adams", "Ann", 4); // "Golf" at another place
    EXPECT_EQ(RecordContentHash(*ann, a), RecordContentHash(*same, b));
    same->m_nCategory = 3; // "Chess"
    EXPECT_NE(RecordContentHash(*ann, a), RecordContentHash(*same, b));
    // Every field counts, and bytes cannot move from one field to the next.
    auto moved = Person("Adam", "sAnn", 3);
    EXPECT_NE(RecordContentHash(*ann, a), RecordContentHash(*moved, a));
    auto label = Person("Adams", "Ann", 3);
    label->m_nItemLabel[6] = LABEL_FAX;
    EXPECT_NE(RecordContentHash(*ann, a), RecordContentHash(*label, a));
    auto notes = Person("Adams", "Ann", 3);
    notes->m_strNotes = "x";
    EXPECT_NE(RecordContentHash(*ann, a), RecordContentHash(*notes, a));
}

TEST(BookMerge, NewEditAndDeleteOfTheBookMeetTheFilesChanges) {
    Book base;
    for (const char* last : {"Adams", "Baker", "Clark", "Dunn", "Evans"})
        base.records.push_back(Person(last, "X"));
    const CBookSnapshot snapshot = CBookSnapshot::Of(base.records, base.categories);

    Book ours = base.Copy();
    FileRecord(ours.records, Person("Carter", "New")); // New
    ours.Named("Baker").m_strItem[0] = "ours";         // Edit, the file kept Baker
    ours.Named("Clark").m_strItem[0] = "ours";         // Edit, the file deleted Clark
    ours.Named("Dunn").m_strItem[0] = "ours";          // Edit, the file edited Dunn too
    ours.Remove("Evans");                              // Delete, the file edited Evans
    ours.Remove("Adams");                              // Delete, the file kept Adams

    Book file = base.Copy();
    FileRecord(file.records, Person("Young", "Theirs")); // the other program's New
    file.Remove("Clark");
    file.Named("Dunn").m_strItem[0] = "theirs";
    file.Named("Evans").m_strItem[0] = "theirs";

    const CMergeOutcome outcome = Merge(ours, snapshot, file);
    EXPECT_EQ(ours.Lines(),
              (std::vector<std::string>{"Baker, X [Unfiled] ours", "Carter, New [Unfiled] ",
                                        "Clark, X [Unfiled] ours", "Dunn, X [Unfiled] ours",
                                        "Dunn #1, X [Unfiled] theirs", "Evans, X [Unfiled] theirs",
                                        "Young, Theirs [Unfiled] "}));
    // Both edits of Dunn are kept; the filing rule numbers the second. Dunn and Evans as
    // they were went from the file, but the book no longer held them.
    EXPECT_EQ(outcome.recordsRemoved, 0u);
    EXPECT_EQ(outcome.recordsAdded, 3u);
    EXPECT_TRUE(outcome.Changed());
}

TEST(BookMerge, AnUnchangedFileChangesNothing) {
    Book base;
    base.records.push_back(Person("Adams", "Ann"));
    const CBookSnapshot snapshot = CBookSnapshot::Of(base.records, base.categories);
    Book ours = base.Copy();
    FileRecord(ours.records, Person("Baker", "Bob"));
    Book file = base.Copy();
    EXPECT_FALSE(Merge(ours, snapshot, file).Changed());
    EXPECT_EQ(ours.records.size(), 2u);
}

TEST(BookMerge, TwinsAreCountedNotMerged) {
    Book base;
    for (int i = 0; i < 3; ++i)
        base.records.push_back(Person("Smith", "Jo"));
    const CBookSnapshot snapshot = CBookSnapshot::Of(base.records, base.categories);
    Book ours = base.Copy();
    ours.records.front()->m_strItem[0] = "ours"; // one of the three edited here
    Book file = base.Copy();
    file.records.pop_back(); // two of them deleted there
    file.records.pop_back();
    Merge(ours, snapshot, file);
    // Of the two unchanged twins both go; the edited one stays.
    EXPECT_EQ(ours.Lines(), (std::vector<std::string>{"Smith, Jo [Unfiled] ours"}));
}

TEST(BookMerge, CategoriesTheFileGainedOrLostFollowWithTheirRecords) {
    Book base;
    base.categories.AddTail("Golf");  // 3
    base.categories.AddTail("Chess"); // 4
    base.records.push_back(Person("Adams", "A", 3));
    base.records.push_back(Person("Baker", "B", 3));
    base.records.push_back(Person("Clark", "C", 4));
    const CBookSnapshot snapshot = CBookSnapshot::Of(base.records, base.categories);

    // Here: Baker edited, a new Golf record.
    Book ours = base.Copy();
    ours.Named("Baker").m_strItem[0] = "ours";
    FileRecord(ours.records, Person("Dunn", "D", 3));

    // There: Golf renamed to Tennis (written as a new list: Chess moves up), a Tennis record
    // added.
    Book file;
    file.categories.AddTail("Chess");  // 3
    file.categories.AddTail("Tennis"); // 4
    file.records.push_back(Person("Adams", "A", 4));
    file.records.push_back(Person("Baker", "B", 4));
    file.records.push_back(Person("Clark", "C", 3));
    file.records.push_back(Person("Evans", "E", 4));

    const CMergeOutcome outcome = Merge(ours, snapshot, file);
    EXPECT_EQ(outcome.categoriesAdded, 1u);
    EXPECT_EQ(outcome.categoriesRemoved, 1u);
    EXPECT_EQ(ours.categories.FillComboNames(),
              (std::vector<std::string>{"Unfiled", "Business", "Personal", "Chess", "Tennis"}));
    // Golf's own records of this book lost their category as a deletion leaves them;
    // nothing is lost.
    EXPECT_EQ(ours.Lines(),
              (std::vector<std::string>{"Adams, A [Tennis] ", "Baker, B [Unfiled] ours",
                                        "Baker #1, B [Tennis] ", "Clark, C [Chess] ",
                                        "Dunn, D [Unfiled] ", "Evans, E [Tennis] "}));
}

// A property over random histories: whatever the two sides did to a common base, the
// merged book holds every record either side added or edited, every record neither side
// touched, and nothing else; and it stays in filing order.
TEST(BookMerge, RandomHistoriesLoseNothingAndKeepNothingExtra) {
    std::mt19937 rng(12);
    for (int round = 0; round < 200; ++round) {
        Book base;
        const int n = std::uniform_int_distribution<int>(0, 12)(rng);
        int serial = 0;
        auto fresh = [&](const std::string& side) {
            const std::string last(1, static_cast<char>('A' + rng() % 26));
            return Person(last + "name", side + std::to_string(serial++));
        };
        for (int i = 0; i < n; ++i)
            FileRecord(base.records, fresh("base"));
        const CBookSnapshot snapshot = CBookSnapshot::Of(base.records, base.categories);

        std::multiset<std::string> expected;
        std::vector<int> touched(static_cast<std::size_t>(n), 0);
        auto act = [&](Book& book, const std::string& side) {
            // Decide per base record: keep, edit or delete; then add a few.
            std::vector<std::string> firsts;
            for (const auto& r : book.records)
                firsts.push_back(r->m_strFirstName);
            for (std::size_t i = 0; i < firsts.size(); ++i) {
                const int what = static_cast<int>(rng() % 4);
                auto it =
                    std::find_if(book.records.begin(), book.records.end(),
                                 [&](const auto& r) { return r->m_strFirstName == firsts[i]; });
                if (what == 1) {
                    (*it)->m_strItem[0] = side;
                    expected.insert((*it)->m_strLastName + "," + firsts[i] + "," + side);
                    touched[i] = 1;
                } else if (what == 2) {
                    book.records.erase(it);
                    touched[i] = 1;
                }
            }
            for (int k = static_cast<int>(rng() % 3); k > 0; --k) {
                auto r = fresh(side);
                expected.insert(r->m_strLastName + "," + r->m_strFirstName + ",");
                FileRecord(book.records, std::move(r));
            }
        };
        Book ours = base.Copy();
        Book file = base.Copy();
        act(ours, "ours");
        act(file, "file");
        for (std::size_t i = 0; i < base.records.size(); ++i)
            if (!touched[i])
                expected.insert(base.records[i]->m_strLastName + "," +
                                base.records[i]->m_strFirstName + ",");

        Merge(ours, snapshot, file);
        std::multiset<std::string> got;
        for (const auto& r : ours.records) {
            // A record edited on both sides is kept twice; the filing rule numbers the
            // second one.
            std::string last = r->m_strLastName;
            last = last.substr(0, last.find(" #"));
            got.insert(last + "," + r->m_strFirstName + "," + r->m_strItem[0]);
        }
        ASSERT_EQ(got, expected) << "round " << round;
        // Filing order: by last name, a numbered twin behind its namesakes.
        auto filedName = [](const CContactRecord& r) {
            return r.m_strLastName.substr(0, r.m_strLastName.find(" #"));
        };
        for (std::size_t i = 1; i < ours.records.size(); ++i)
            ASSERT_LE(
                kb::CompareNoCase(filedName(*ours.records[i - 1]), filedName(*ours.records[i])), 0)
                << "round " << round;
    }
}
