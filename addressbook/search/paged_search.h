// The bookkeeping of a directory search that the server cut short and that is repeated in
// pages (Simple Paged Results): when to repeat, with which page size, and when the pages end.
// Platform-free: the LDAP calls live in directory_search.cpp.
#ifndef TARN_PAGED_SEARCH_H
#define TARN_PAGED_SEARCH_H

#include "connection/ldap_codes.h"

#include <string>

// True when a search came back cut by the server's size limit or its administrative limit:
// the search is worth repeating in pages.
bool IsCutBySizeLimit(unsigned long code);

// The page size for repeating a search that the server cut after this many entries: the
// server's own limit, which it allows per page; 100 when the cut search returned nothing.
unsigned long PageSizeAfterCut(unsigned long entriesReturned);

// The page size to ask for after the server refused pageSize: half of it, but no less than
// kSmallestPageSize; 0 when pageSize was that smallest already.
unsigned long SmallerPageSize(unsigned long pageSize);
constexpr unsigned long kSmallestPageSize = 10;

// One page as the server answered it.
struct PageAnswer {
    bool answered = false;     // a result came back (false: no answer in time, or connection lost)
    unsigned long code = 0;    // the page's result code
    unsigned long entries = 0; // the entries the page holds
    std::string cookie;        // the server's cookie for the next page; empty after the last one
};

enum class PageStep { NextPage, Complete, Stopped };

// True when the first page of a paged search says that the server will not serve pages of the
// size asked for: an administrative limit or an unwillingness with no entries (a page limit
// below the size asked), or the server's size limit cutting the page itself.
bool IsPageSizeRefused(const PageAnswer& first);

// Follows the pages of one paged search: counts them and their entries and says whether to
// ask for the next one. Once complete or stopped it stays so. Some servers hand back the same
// cookie on every page of one search; only a page that brings nothing and leaves the cookie
// as it was shows a server going round in a loop.
class PageLoop {
  public:
    PageStep Add(const PageAnswer& answer);

    unsigned long Pages() const { return pages_; }
    // Entries of every page that came back, stopping page included (saturating).
    unsigned long Entries() const { return entries_; }
    // What ended the search early: the stopping page's code, kLdapTimeout when no answer came
    // in time, kLdapLoopDetect when the server kept asking for pages without progress.
    unsigned long StopCode() const { return stopCode_; }
    // True when the search stopped at its first page because the page size was refused.
    bool PageSizeRefused() const { return refused_; }

  private:
    PageStep Stop(unsigned long code);

    unsigned long pages_ = 0;
    unsigned long entries_ = 0;
    unsigned long stopCode_ = kLdapSuccess;
    std::string lastCookie_;
    bool ended_ = false;
    bool refused_ = false;
    PageStep last_ = PageStep::NextPage;
};

#endif
