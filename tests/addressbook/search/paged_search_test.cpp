// The bookkeeping of a search repeated in pages, and the notice of a search cut short.
#include "download_notices.h"
#include "search/paged_search.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

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
    std::vector<PageAnswer> whole, oneCookie;
    for (int i = 1; i <= 10; ++i) {
        whole.push_back(Page(100, i < 10 ? "c" + std::to_string(i) : ""));
        oneCookie.push_back(Page(50, i < 10 ? "same" : ""));
    }

    const LoopCase cases[] = {
        {"the whole directory", whole, PageStep::Complete, 1000, kLdapSuccess},
        {"one cookie for the whole search", oneCookie, PageStep::Complete, 500, kLdapSuccess},
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
        {"an empty page handing the cookie back",
         {Page(5, "same"), Page(0, "same")},
         PageStep::Stopped,
         5,
         kLdapLoopDetect},
        {"empty pages with new cookies",
         {Page(0, "e1"), Page(0, "e2"), Page(0, "e2x"), Page(3, "")},
         PageStep::Complete,
         3,
         kLdapSuccess},
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

TEST(PagedSearch, ARefusedPageSizeIsToldFromAStopAndAskedAgainHalvedDownToTen) {
    struct RefusalCase {
        const char* name;
        std::vector<PageAnswer> answers;
        bool refused;
    } cases[] = {
        {"an administrative limit, nothing sent", {Page(0, "", kLdapAdminLimitExceeded)}, true},
        {"unwilling, nothing sent", {Page(0, "", kLdapUnwillingToPerform)}, true},
        {"the size limit cutting the first page", {Page(100, "c", kLdapSizeLimitExceeded)}, true},
        {"an administrative limit after entries", {Page(3, "", kLdapAdminLimitExceeded)}, false},
        {"the size limit on a later page",
         {Page(50, "c"), Page(50, "", kLdapSizeLimitExceeded)},
         false},
        {"silence on the first page", {NoAnswer(kLdapTimeout)}, false},
        {"a whole directory", {Page(7, "")}, false},
    };
    for (const RefusalCase& test : cases) {
        SCOPED_TRACE(test.name);
        PageLoop loop;
        for (const PageAnswer& answer : test.answers)
            loop.Add(answer);
        EXPECT_EQ(loop.PageSizeRefused(), test.refused);
    }
    std::vector<unsigned long> sizes;
    for (unsigned long size = 500; size != 0; size = SmallerPageSize(size))
        sizes.push_back(size);
    EXPECT_EQ(sizes, (std::vector<unsigned long>{500, 250, 125, 62, 31, 15, 10}));
    EXPECT_EQ(SmallerPageSize(3), 0u);
}

TEST(DownloadNotices, TheCutNoticeGroupsTheCountByThousandsAndCountsOneEntryAsOne) {
    EXPECT_EQ(SearchCutText(1234567, "Size Limit Exceeded"),
              "The directory server ended the search after 1,234,567 entries (Size Limit "
              "Exceeded). The address book holds only these entries.");
    EXPECT_NE(SearchCutText(1, "x").find("after 1 entry (x)"), std::string::npos);
    EXPECT_EQ(GroupedCount(999), "999");
    EXPECT_EQ(GroupedCount(65536), "65,536");
}

} // namespace
