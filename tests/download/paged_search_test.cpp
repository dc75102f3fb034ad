// The bookkeeping of a search repeated in pages, and the notice of a search cut short.
#include "download_notices.h"
#include "paged_search.h"

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

TEST(DownloadNotices, TheCutNoticeGroupsTheCountByThousandsAndCountsOneEntryAsOne) {
    EXPECT_EQ(SearchCutText(1234567, "Size Limit Exceeded"),
              "The directory server ended the search after 1,234,567 entries (Size Limit "
              "Exceeded). The address book holds only these entries.");
    EXPECT_NE(SearchCutText(1, "x").find("after 1 entry (x)"), std::string::npos);
    EXPECT_EQ(GroupedCount(999), "999");
    EXPECT_EQ(GroupedCount(65536), "65,536");
}

} // namespace
