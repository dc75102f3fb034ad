#include "directory_search.h"

#include "answer_reader.h"
#include "connection/directory_bind.h"
#include "directory_text.h"
#include "paged_search.h"
#include "utf8_search.h"
#include "trace.h"

namespace {

// The cookie of a page's paged-results control; empty when the page is the last one.
std::string PageCookie(LDAP* session, LDAPMessage* page, LdapCookie& cookie) {
    ULONG code = LDAP_SUCCESS;
    LdapControls controls;
    if (ldap_parse_resultA(session, page, &code, nullptr, nullptr, nullptr, controls.receive(),
                           FALSE) != LDAP_SUCCESS ||
        !controls.get())
        return std::string();
    ULONG estimate = 0;
    if (ldap_parse_page_controlA(session, controls.get(), &estimate, cookie.receive()) !=
            LDAP_SUCCESS ||
        !cookie.get() || !cookie.get()->bv_val)
        return std::string();
    return std::string(cookie.get()->bv_val, cookie.get()->bv_len);
}

// The code in the closing message of a search's answer, and the server's own words about it,
// when the chain holds that message.
bool ClosingCode(LDAP* session, LDAPMessage* chain, ULONG& code, std::string& diagnostic) {
    ULONG returned = LDAP_SUCCESS;
    LdapText message;
    if (ldap_parse_resultA(session, chain, &returned, nullptr, message.receive(), nullptr, nullptr,
                           FALSE) != LDAP_SUCCESS)
        return false;
    code = returned;
    diagnostic = message.get() ? message.get() : "";
    return true;
}

// How the answer to one search request ended.
struct SearchAnswer {
    ULONG code = LDAP_SUCCESS; // the closing message's code, or why none came
    bool closed = false;       // the server's closing message arrived: the answer is whole
    bool held = false;         // the server fell silent and its reader keeps the session
    bool anyMessage = false;   // something of the answer came
    std::string diagnostic;    // the server's own words in its closing message
};

// One search of the download: below base, for request, each request's answer awaited for as
// long as the server keeps sending and after seconds of silence no longer.
struct Query {
    LDAP* session;
    const std::string& base; // UTF-8, as the filter
    const SearchRequest& request;
    EntryAttributes attributes;
    unsigned seconds;
};

// Sends the query with controls and without any client-side size or time limit, and awaits
// its answer. The entries are appended to records; the closing message, where it came, is left
// in closing.
SearchAnswer Search(Query& query, PLDAPControlA* controls, EntryRecords& records,
                    LdapResult& closing) {
    LDAP* session = query.session;
    ULONG message = 0;
    const ULONG sent = SendSearch(session, query.base, LDAP_SCOPE_SUBTREE, query.request.filter,
                                  query.attributes.Names(), controls, 0, &message);
    SearchAnswer answer;
    if (sent != LDAP_SUCCESS) {
        answer.code = sent == static_cast<ULONG>(-1) ? LastLdapError() : sent;
        return answer;
    }
    const AnswerRead read =
        ReadAnswer(session, message, query.request, query.seconds, records, closing);
    answer.code = read.code;
    answer.held = read.end == AnswerEnd::Silent;
    answer.anyMessage = read.messages > 0;
    if (read.end == AnswerEnd::Closed &&
        !(answer.closed = ClosingCode(session, closing.get(), answer.code, answer.diagnostic)))
        answer.code = LDAP_DECODING_ERROR;
    return answer;
}

struct Pages {
    EntryRecords records;
    PageLoop loop;
    bool held = false;     // a page's server fell silent and its reader keeps the session
    bool answered = false; // something of a page came
};

// One paged search with pages of pageSize, from its first page to its last or to a stop.
Pages SearchInPages(Query& query, ULONG pageSize) {
    LDAP* session = query.session;
    Pages pages;
    LdapCookie cookie;
    for (;;) {
        PageAnswer answer;
        LdapControl control;
        answer.code =
            ldap_create_page_controlA(session, pageSize, cookie.get(), FALSE, control.receive());
        const unsigned long before = pages.records.Count();
        LdapResult closing;
        if (answer.code == LDAP_SUCCESS) {
            PLDAPControlA controls[] = {control.get(), nullptr};
            const SearchAnswer page = Search(query, controls, pages.records, closing);
            answer.code = page.code;
            answer.answered = page.closed;
            pages.held = page.held;
            pages.answered = pages.answered || page.anyMessage;
        }
        answer.entries = pages.records.Count() - before;
        LdapCookie next;
        if (answer.answered)
            answer.cookie = PageCookie(session, closing.get(), next);
        const PageStep step = pages.loop.Add(answer);
        Trace(("Paged search: page " + std::to_string(pages.loop.Pages()) + ", " +
               std::to_string(pages.loop.Entries()) + " entries")
                  .c_str(),
              kTraceBlue);
        if (step != PageStep::NextPage)
            return pages;
        cookie = std::move(next);
    }
}

// The paged search from pageSize on; a page size the server refuses is asked again smaller,
// down to the smallest.
Pages SearchInPagesTheServerTakes(Query& query, ULONG pageSize) {
    for (;;) {
        Pages pages = SearchInPages(query, pageSize);
        const ULONG smaller =
            pages.loop.PageSizeRefused() && !pages.held ? SmallerPageSize(pageSize) : 0;
        if (smaller == 0)
            return pages;
        Trace((LdapErrorText(pages.loop.StopCode()) + " for pages of " + std::to_string(pageSize) +
               ": asking again in pages of " + std::to_string(smaller))
                  .c_str(),
              kTraceBlue);
        pageSize = smaller;
    }
}

} // namespace

DirectorySearch SearchDirectory(LDAP* session, const std::string& base,
                                const SearchRequest& request, unsigned seconds) {
    DirectorySearch search;
    Query query{session, base, request, EntryAttributes(request), seconds};
    LdapResult closing;
    const SearchAnswer answer = Search(query, nullptr, search.records, closing);
    search.code = answer.code;
    search.diagnostic = answer.diagnostic;
    search.sessionHeld = answer.held;
    // A search that broke off (a silent server, a lost connection) did not bring the whole
    // directory, and the server did not say where it stopped: the address book stays as it is.
    if (!answer.closed) {
        search.brokenOff = true;
        search.records = EntryRecords();
        return search;
    }
    search.answered = true;
    const unsigned long entries = search.records.Count();
    if (!IsCutBySizeLimit(search.code))
        return search;

    const ULONG pageSize = PageSizeAfterCut(entries);
    Trace((LdapErrorText(search.code) + " after " + std::to_string(entries) +
           " entries: searching again in pages of " + std::to_string(pageSize))
              .c_str(),
          kTraceBlue);
    Pages pages = SearchInPagesTheServerTakes(query, pageSize);
    search.sessionHeld = pages.held;
    if (pages.loop.Entries() < entries)
        return search;
    search.records = std::move(pages.records);
    search.answered = pages.answered;
    search.paged = true;
    search.code = pages.loop.StopCode();
    return search;
}
