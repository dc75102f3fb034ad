#include "paged_search.h"

#include <limits>

bool IsCutBySizeLimit(unsigned long code) {
    return code == kLdapSizeLimitExceeded || code == kLdapAdminLimitExceeded;
}

unsigned long PageSizeAfterCut(unsigned long entriesReturned) {
    return entriesReturned > 0 ? entriesReturned : 100;
}

unsigned long SmallerPageSize(unsigned long pageSize) {
    if (pageSize <= kSmallestPageSize)
        return 0;
    return pageSize / 2 > kSmallestPageSize ? pageSize / 2 : kSmallestPageSize;
}

bool IsPageSizeRefused(const PageAnswer& first) {
    if (!first.answered)
        return false;
    if (first.code == kLdapSizeLimitExceeded)
        return true;
    return first.entries == 0 &&
           (first.code == kLdapAdminLimitExceeded || first.code == kLdapUnwillingToPerform);
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
    if (answer.code != kLdapSuccess) {
        refused_ = pages_ == 1 && IsPageSizeRefused(answer);
        return Stop(answer.code);
    }
    if (answer.cookie.empty()) {
        ended_ = true;
        last_ = PageStep::Complete;
        return last_;
    }
    // A page that brings nothing and asks for the same page again would never end.
    if (answer.entries == 0 && answer.cookie == lastCookie_)
        return Stop(kLdapLoopDetect);
    lastCookie_ = answer.cookie;
    return PageStep::NextPage;
}
