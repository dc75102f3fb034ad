// The bookkeeping of a search repeated in pages, and the download's notices about it.
#include "download_notices.h"
#include "paged_search.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

TEST(PagedSearch, OnlyTheSizeAndAdministrativeLimitsAreWorthRepeatingInPages) {
    for (unsigned long code : {kLdapSizeLimitExceeded, kLdapAdminLimitExceeded})
        EXPECT_TRUE(IsCutBySizeLimit(code)) << code;
    for (unsigned long code : {kLdapSuccess, 0x03ul /* time limit */, kLdapTimeout, 0xfffffffful})
        EXPECT_FALSE(IsCutBySizeLimit(code)) << code;
}

TEST(PagedSearch, PagesAreAsLargeAsTheCutSearchWasAndNeverEmpty) {
    EXPECT_EQ(PageSizeAfterCut(100), 100ul);
    EXPECT_EQ(PageSizeAfterCut(1000), 1000ul);
    EXPECT_EQ(PageSizeAfterCut(0), 100ul);
}

PageAnswer Page(unsigned long entries, const std::string& cookie, unsigned long code = 0) {
    PageAnswer answer;
    answer.answered = true;
    answer.code = code;
    answer.entries = entries;
    answer.cookie = cookie;
    return answer;
}

PageAnswer NoAnswer(unsigned long code) {
    PageAnswer answer;
    answer.code = code;
    return answer;
}

struct LoopCase {
    const char* name;
    std::vector<PageAnswer> answers; // the last one must end the loop
    PageStep end;
    unsigned long entries;
    unsigned long stopCode;
};

TEST(PagedSearch, TheLoopAsksForPagesUntilTheLastOneOrAStop) {
    std::vector<PageAnswer> whole, emptyRun, emptyThenMore;
    for (int i = 1; i <= 10; ++i)
        whole.push_back(Page(100, i < 10 ? "c" + std::to_string(i) : ""));
    for (unsigned i = 1; i <= kMaxEmptyPagesInARow; ++i)
        emptyRun.push_back(Page(0, "e" + std::to_string(i)));
    for (unsigned i = 1; i < kMaxEmptyPagesInARow; ++i)
        emptyThenMore.push_back(Page(0, "e" + std::to_string(i)));
    emptyThenMore.push_back(Page(7, "more"));
    emptyThenMore.push_back(Page(0, "e-again"));
    emptyThenMore.push_back(Page(3, ""));

    const LoopCase cases[] = {
        {"the whole directory", whole, PageStep::Complete, 1000, kLdapSuccess},
        {"a total cap",
         {Page(100, "a"), Page(100, "b"), Page(50, "", 4)},
         PageStep::Stopped,
         250,
         kLdapSizeLimitExceeded},
        {"a cap on the first page", {Page(0, "", 4)}, PageStep::Stopped, 0, 4},
        {"silence after two pages",
         {Page(100, "a"), Page(100, "b"), NoAnswer(kLdapTimeout)},
         PageStep::Stopped,
         200,
         kLdapTimeout},
        {"no answer and no code", {NoAnswer(0)}, PageStep::Stopped, 0, kLdapNoResultsReturned},
        {"a cookie handed back again",
         {Page(5, "same"), Page(5, "same")},
         PageStep::Stopped,
         10,
         kLdapLoopDetect},
        {"empty pages without end", emptyRun, PageStep::Stopped, 0, kLdapLoopDetect},
        {"empty pages that then go on", emptyThenMore, PageStep::Complete, 10, kLdapSuccess},
    };
    for (const LoopCase& test : cases) {
        SCOPED_TRACE(test.name);
        PageLoop loop;
        for (size_t i = 0; i + 1 < test.answers.size(); ++i)
            ASSERT_EQ(loop.Add(test.answers[i]), PageStep::NextPage) << "page " << i + 1;
        EXPECT_EQ(loop.Add(test.answers.back()), test.end);
        EXPECT_EQ(loop.Pages(), test.answers.size());
        EXPECT_EQ(loop.Entries(), test.entries);
        EXPECT_EQ(loop.StopCode(), test.stopCode);
        // An ended loop stays ended and counts nothing more.
        EXPECT_EQ(loop.Add(Page(100, "later")), test.end);
        EXPECT_EQ(loop.Entries(), test.entries);
        EXPECT_EQ(loop.Pages(), test.answers.size());
    }
}

TEST(PagedSearch, TheEntryCountStopsAtItsLargestValueInsteadOfWrappingAround) {
    const unsigned long most = std::numeric_limits<unsigned long>::max();
    PageLoop loop;
    loop.Add(Page(most - 1, "a"));
    loop.Add(Page(5, ""));
    EXPECT_EQ(loop.Entries(), most);
}

TEST(DownloadNotices, CountsAreGroupedByThousands) {
    const std::pair<unsigned long, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {65536, "65,536"}, {1234567, "1,234,567"}};
    for (const auto& test : cases)
        EXPECT_EQ(GroupedCount(test.first), test.second);
}

TEST(DownloadNotices, TheNoticesSayWhatTheAddressBookHolds) {
    EXPECT_EQ(SearchCutText(1000, "Size Limit Exceeded"),
              "The directory server ended the search after 1,000 entries (Size Limit Exceeded). "
              "The address book holds only these entries.");
    EXPECT_NE(SearchCutText(1, "x").find("after 1 entry (x)"), std::string::npos);
    EXPECT_EQ(ServerSilentText("ldap.example", 389, 30),
              "The directory server ldap.example:389 did not answer within 30 seconds. The "
              "address book was not changed.");
    EXPECT_EQ(ServerSilentCutText("ldap.example", 389, 30, 300),
              "The directory server ldap.example:389 did not answer within 30 seconds; the search "
              "ended after 300 entries. The address book holds only these entries.");
}

} // namespace
