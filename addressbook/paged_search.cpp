#include "paged_search.h"

#include <limits>

bool IsCutBySizeLimit(unsigned long code) {
    return code == kLdapSizeLimitExceeded || code == kLdapAdminLimitExceeded;
}

unsigned long PageSizeAfterCut(unsigned long entriesReturned) {
    return entriesReturned > 0 ? entriesReturned : 100;
}

PageStep PageLoop::Stop(unsigned long code) {
    stopCode_ = code;
    ended_ = true;
    last_ = PageStep::Stopped;
    return last_;
}

PageStep PageLoop::Add(const PageAnswer& answer) {
    if (ended_)
        return last_;
    ++pages_;
    if (!answer.answered)
        return Stop(answer.code == kLdapSuccess ? kLdapNoResultsReturned : answer.code);

    const unsigned long most = std::numeric_limits<unsigned long>::max();
    entries_ = answer.entries > most - entries_ ? most : entries_ + answer.entries;
    if (answer.code != kLdapSuccess)
        return Stop(answer.code);
    if (answer.cookie.empty()) {
        ended_ = true;
        last_ = PageStep::Complete;
        return last_;
    }
    // A server that hands back the same cookie, or keeps sending empty pages, would never end.
    if (answer.cookie == lastCookie_)
        return Stop(kLdapLoopDetect);
    emptyPages_ = answer.entries == 0 ? emptyPages_ + 1 : 0;
    if (emptyPages_ >= kMaxEmptyPagesInARow)
        return Stop(kLdapLoopDetect);
    lastCookie_ = answer.cookie;
    return PageStep::NextPage;
}
