#include "directory_search.h"

#include "answer_reader.h"
#include "directory_bind.h"
#include "paged_search.h"
#include "trace.h"

namespace {

constexpr char kFilter[] = "cn=*";

ULONG CountEntries(LDAP* session, LDAPMessage* result) {
    const ULONG count = ldap_count_entries(session, result);
    return count == static_cast<ULONG>(-1) ? 0 : count;
}

std::string CodeText(ULONG code) {
    const char* text = ldap_err2stringA(code);
    return text ? text : std::string();
}

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
    std::string diagnostic;    // the server's own words in its closing message
};

// The answer to a search request, for as long as the server keeps sending; after seconds of
// silence what came so far. parts receives the answer in the directory's order, one message
// a part.
SearchAnswer AwaitSearchAnswer(LDAP* session, ULONG message, unsigned seconds,
                               std::vector<LdapResult>& parts) {
    const AnswerRead read = ReadAnswer(session, message, seconds, parts);
    SearchAnswer answer;
    answer.code = read.code;
    answer.held = read.end == AnswerEnd::Silent;
    if (read.end == AnswerEnd::Closed &&
        !(answer.closed = ClosingCode(session, parts.back().get(), answer.code, answer.diagnostic)))
        answer.code = LDAP_DECODING_ERROR;
    return answer;
}

// Sends the search for kFilter below base, with controls and without any client-side size or
// time limit, and awaits its answer.
SearchAnswer Search(LDAP* session, PCHAR base, PCHAR attributes[], PLDAPControlA* controls,
                    unsigned seconds, std::vector<LdapResult>& parts) {
    ULONG message = 0;
    const ULONG sent =
        ldap_search_extA(session, base, LDAP_SCOPE_SUBTREE, const_cast<PCHAR>(kFilter), attributes,
                         0, controls, nullptr, 0, 0, &message);
    if (sent != LDAP_SUCCESS)
        return {sent == static_cast<ULONG>(-1) ? LastLdapError() : sent, false, false, {}};
    return AwaitSearchAnswer(session, message, seconds, parts);
}

struct Pages {
    std::vector<LdapResult> results;
    PageLoop loop;
    bool held = false; // a page's server fell silent and its reader keeps the session
};

// One paged search with pages of pageSize, from its first page to its last or to a stop.
Pages SearchInPages(LDAP* session, PCHAR base, PCHAR attributes[], unsigned seconds,
                    ULONG pageSize) {
    Pages pages;
    LdapCookie cookie;
    for (;;) {
        PageAnswer answer;
        LdapControl control;
        answer.code =
            ldap_create_page_controlA(session, pageSize, cookie.get(), FALSE, control.receive());
        std::vector<LdapResult> parts;
        if (answer.code == LDAP_SUCCESS) {
            PLDAPControlA controls[] = {control.get(), nullptr};
            const SearchAnswer page = Search(session, base, attributes, controls, seconds, parts);
            answer.code = page.code;
            answer.answered = page.closed;
            pages.held = page.held;
        }
        for (const LdapResult& part : parts)
            answer.entries += CountEntries(session, part.get());
        LdapCookie next;
        if (answer.answered)
            answer.cookie = PageCookie(session, parts.back().get(), next);
        for (LdapResult& part : parts)
            pages.results.push_back(std::move(part));
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
Pages SearchInPagesTheServerTakes(LDAP* session, PCHAR base, PCHAR attributes[], unsigned seconds,
                                  ULONG pageSize) {
    for (;;) {
        Pages pages = SearchInPages(session, base, attributes, seconds, pageSize);
        const ULONG smaller =
            pages.loop.PageSizeRefused() && !pages.held ? SmallerPageSize(pageSize) : 0;
        if (smaller == 0)
            return pages;
        Trace((CodeText(pages.loop.StopCode()) + " for pages of " + std::to_string(pageSize) +
               ": asking again in pages of " + std::to_string(smaller))
                  .c_str(),
              kTraceBlue);
        pageSize = smaller;
    }
}

} // namespace

DirectorySearch SearchDirectory(LDAP* session, const std::string& base, PCHAR attributes[],
                                unsigned seconds) {
    DirectorySearch search;
    PCHAR searchBase = const_cast<PCHAR>(base.c_str());
    std::vector<LdapResult> single;
    const SearchAnswer answer = Search(session, searchBase, attributes, nullptr, seconds, single);
    search.code = answer.code;
    search.diagnostic = answer.diagnostic;
    search.sessionHeld = answer.held;
    // A search that broke off (a silent server, a lost connection) did not bring the whole
    // directory, and the server did not say where it stopped: the address book stays as it is.
    if (!answer.closed) {
        search.brokenOff = true;
        return search;
    }
    for (const LdapResult& part : single)
        search.entries += CountEntries(session, part.get());
    if (!IsCutBySizeLimit(search.code)) {
        search.results = std::move(single);
        return search;
    }

    const ULONG pageSize = PageSizeAfterCut(search.entries);
    Trace((CodeText(search.code) + " after " + std::to_string(search.entries) +
           " entries: searching again in pages of " + std::to_string(pageSize))
              .c_str(),
          kTraceBlue);
    Pages pages = SearchInPagesTheServerTakes(session, searchBase, attributes, seconds, pageSize);
    search.sessionHeld = pages.held;
    if (pages.loop.Entries() < search.entries) {
        search.results = std::move(single);
        return search;
    }
    search.results = std::move(pages.results);
    search.paged = true;
    search.code = pages.loop.StopCode();
    search.entries = pages.loop.Entries();
    return search;
}
