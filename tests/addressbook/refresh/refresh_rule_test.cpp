#include "refresh/book_digest.h"
#include "refresh/refresh_rule.h"
#include "refresh/sha256.h"

#include <gtest/gtest.h>

namespace {

std::string Sha(const std::string& text) {
    Sha256 sha;
    sha.Add(text.data(), text.size());
    return sha.HexDigest();
}

TEST(RefreshDigest, Sha256GivesTheStandardsTestVectors) {
    EXPECT_EQ(Sha(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks, the padding in the second.
    EXPECT_EQ(Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

using Record = std::vector<std::string>;

std::string Book(const std::vector<Record>& records, const std::string& server = "ldap:389") {
    BookDigest digest(server, "o=Example", "", "notes.ini", "CN=Mail");
    for (const Record& r : records)
        digest.AddRecord(r[0], r[1], r[2], r[3]);
    return digest.Finish();
}

const Record kAnn = {"Lane", "Ann", "1", "ann@example.org"};
const Record kBob = {"Moor", "Bob", "", "bob@example.org"};
const Record kCai = {"Ng", "Cai", "3", "cai@example.org"};

TEST(RefreshDigest, TheSameRecordsInAnyOrderGiveTheSameDigest) {
    const std::string base = Book({kAnn, kBob, kCai});
    EXPECT_EQ(Book({kAnn, kBob, kCai}), base);
    for (const auto& order : std::vector<std::vector<Record>>{
             {kBob, kAnn, kCai}, {kCai, kBob, kAnn}, {kBob, kCai, kAnn}, {kCai, kAnn, kBob}})
        EXPECT_EQ(Book(order), base) << "first " << order[0][1];
    EXPECT_EQ(Book({kAnn, kAnn, kBob}), Book({kAnn, kBob, kAnn}));
}

TEST(RefreshDigest, AnyChangeOfTheRecordsOrWhereTheyComeFromChangesTheDigest) {
    const std::string base = Book({kAnn, kBob});
    struct Case {
        const char* what;
        std::vector<Record> records;
        std::string server;
    } const cases[] = {
        {"one record less", {kAnn}, "ldap:389"},
        {"one record more", {kAnn, kBob, kCai}, "ldap:389"},
        {"a record twice", {kAnn, kBob, kBob}, "ldap:389"},
        {"no record", {}, "ldap:389"},
        {"another server", {kAnn, kBob}, "ldap:636"},
        {"a changed phone number", {{"Lane", "Ann", "2", "ann@example.org"}, kBob}, "ldap:389"},
        {"a changed mail address", {kAnn, {"Moor", "Bob", "", "bob@example.com"}}, "ldap:389"},
        {"two records' phone numbers swapped",
         {{"Lane", "Ann", "", "ann@example.org"}, {"Moor", "Bob", "1", "bob@example.org"}},
         "ldap:389"},
        // The same bytes cut into other fields are another book.
        {"a name cut elsewhere", {{"Lan", "eAnn", "1", "ann@example.org"}, kBob}, "ldap:389"},
    };
    for (const Case& c : cases)
        EXPECT_NE(Book(c.records, c.server), base) << c.what;
    // A record twice is another book than the same record once, and than another record twice.
    EXPECT_NE(Book({kAnn, kAnn}), Book({kAnn}));
    EXPECT_NE(Book({kAnn, kAnn, kBob}), Book({kAnn, kBob, kBob}));
    EXPECT_NE(Book({kAnn, kAnn}), Book({kBob, kBob}));
}

TEST(RefreshDigest, FieldsDigestTellsListsOfTextsApart) {
    const std::string base = FieldsDigest({"host.example.org", "guid"});
    EXPECT_EQ(FieldsDigest({"host.example.org", "guid"}), base);
    EXPECT_EQ(base.size(), 64u);
    EXPECT_NE(FieldsDigest({"host.example.orgguid"}), base);
    EXPECT_NE(FieldsDigest({"host.example.org", "guid", ""}), base);
    EXPECT_NE(FieldsDigest({"guid", "host.example.org"}), base);
}

TEST(RefreshRecordOwner, EachPartOfTheOwnerIsToldApart) {
    const RecordOwner recorded = {"computer", "notes", "bridge", "program"};
    struct Case {
        RecordOwner current;
        OwnerChange change;
    } const cases[] = {
        {{"computer", "notes", "bridge", "program"}, OwnerChange::None},
        {{"other", "notes", "bridge", "program"}, OwnerChange::Computer},
        {{"computer", "other", "bridge", "program"}, OwnerChange::Notes},
        {{"computer", "notes", "other", "program"}, OwnerChange::Bridge},
        {{"computer", "notes", "bridge", "other"}, OwnerChange::Program},
        // The computer is named first: on another computer everything else is another too.
        {{"other", "other", "other", "other"}, OwnerChange::Computer},
        {{"", "", "", ""}, OwnerChange::Computer},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareOwner(recorded, c.current), c.change)
            << c.current.computer << "/" << c.current.notes << "/" << c.current.bridge << "/"
            << c.current.program;
}

TEST(RefreshRuleValues, RefreshAndRefreshDaysAreReadWithTheirDefaults) {
    struct Case {
        const char* refresh;
        const char* days;
        bool changedOnly;
        unsigned long ruleDays;
        bool problem;
    } const cases[] = {
        {"", "", false, 7, false},
        {"always", "", false, 7, false},
        {"changed", "", true, 7, false},
        {"Changed", "0", true, 0, false},
        {"changed", "30", true, 30, false},
        {"sometimes", "", false, 7, true},
        {"changed", "-1", true, 7, true},
        {"changed", "7 days", true, 7, true},
        {"changed", "999999", true, 7, true},
    };
    for (const Case& c : cases) {
        std::string problem;
        const RefreshRule rule = ParseRefreshRule(c.refresh, c.days, problem);
        EXPECT_EQ(rule.changedOnly, c.changedOnly) << c.refresh;
        EXPECT_EQ(rule.days, c.ruleDays) << c.days;
        EXPECT_EQ(!problem.empty(), c.problem) << c.refresh << "/" << c.days << ": " << problem;
    }
}

TEST(RefreshRuleValues, OnlyTheSameDigestWithinRefreshDaysLeavesTheBookAlone) {
    const std::uint64_t then = 1000 * kTicksPerDay;
    LastRefresh last;
    last.digest = "digest";
    last.records = 10;
    last.time = then;
    struct Case {
        unsigned long days;
        std::uint64_t now;
        const char* digest;
        RefreshVerdict verdict;
    } const cases[] = {
        {7, then + 6 * kTicksPerDay, "digest", RefreshVerdict::Unchanged},
        {7, then + 7 * kTicksPerDay, "digest", RefreshVerdict::Due},
        {7, then + 1, "other", RefreshVerdict::Changed},
        {0, then + 5000 * kTicksPerDay, "digest", RefreshVerdict::Unchanged},
        {7, then - 1, "digest", RefreshVerdict::Due}, // a clock set back
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeRefresh({true, c.days}, &last, c.digest, c.now), c.verdict)
            << c.days << " days, " << c.digest;
    EXPECT_EQ(JudgeRefresh({true, 7}, nullptr, "digest", then), RefreshVerdict::Unknown);
}

} // namespace
