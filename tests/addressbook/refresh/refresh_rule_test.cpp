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

std::string Book(const std::vector<std::vector<std::string>>& records,
                 const std::string& server = "ldap:389") {
    BookDigest digest(server, "o=Example", "", "notes.ini", "CN=Mail");
    for (const auto& r : records)
        digest.AddRecord(r[0], r[1], r[2], r[3]);
    return digest.Finish();
}

TEST(RefreshDigest, AnyChangeOfARecordItsOrderOrWhereItComesFromChangesTheDigest) {
    const std::vector<std::string> a = {"Lane", "Ann", "1", "ann@example.org"};
    const std::vector<std::string> b = {"Moor", "Bob", "", "bob@example.org"};
    const std::string base = Book({a, b});
    EXPECT_EQ(Book({a, b}), base);
    EXPECT_NE(Book({b, a}), base) << "the order counts";
    EXPECT_NE(Book({a}), base);
    EXPECT_NE(Book({a, b}, "ldap:636"), base);
    // The same bytes cut into other fields are another book.
    EXPECT_NE(Book({{"Lan", "eAnn", "1", "ann@example.org"}, b}), base);
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
    const LastRefresh last = {"digest", "", 10, then};
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
