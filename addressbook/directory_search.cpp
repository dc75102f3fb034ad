#include "directory_search.h"

#include "paged_search.h"
#include "silence_watch.h"
#include "trace.h"

namespace {

constexpr char kFilter[] = "cn=*";

ULONG CountEntries(LDAP* session, LDAPMessage* result) {
    const ULONG count = ldap_count_entries(session, result);
    return count == static_cast<ULONG>(-1) ? 0 : count;
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

struct Pages {
    std::vector<LdapResult> results;
    PageLoop loop;
};

Pages SearchInPages(LDAP* session, PCHAR base, PCHAR attributes[], SilenceWatch& watch,
                    l_timeval& bound, ULONG pageSize) {
    // Where the watch bounds the server's silence, a page is awaited without a bound of its own.
    l_timeval* const pageBound = watch.Watching() ? nullptr : &bound;
    Pages pages;
    LdapCookie cookie;
    for (;;) {
        PageAnswer answer;
        LdapControl control;
        answer.code =
            ldap_create_page_controlA(session, pageSize, cookie.get(), FALSE, control.receive());
        LdapResult page;
        if (answer.code == LDAP_SUCCESS) {
            PLDAPControlA controls[] = {control.get(), nullptr};
            watch.Rearm();
            answer.code =
                ldap_search_ext_sA(session, base, LDAP_SCOPE_SUBTREE, const_cast<PCHAR>(kFilter),
                                   attributes, 0, controls, nullptr, pageBound, 0, page.receive());
            if (answer.code != LDAP_SUCCESS && watch.Closed())
                answer.code = LDAP_TIMEOUT;
        }
        LdapCookie next;
        if (page.get()) {
            answer.answered = true;
            answer.entries = CountEntries(session, page.get());
            answer.cookie = PageCookie(session, page.get(), next);
            pages.results.push_back(std::move(page));
        }
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

// Waits at most seconds for the whole answer to the request message. Returns what ldap_result
// returns; a request left without answer is abandoned, so that nothing of it stays behind.
ULONG AwaitAnswer(LDAP* session, ULONG message, unsigned seconds, LdapResult& answer) {
    l_timeval bound = {static_cast<LONG>(seconds), 0};
    const ULONG got = ldap_result(session, message, LDAP_MSG_ALL, &bound, answer.receive());
    if (got == 0)
        ldap_abandon(session, message);
    return got;
}

// The socket of the session's connection; 0 where the library does not tell it. The library
// may write fewer bytes than a SOCKET holds, so the rest stays 0.
SOCKET ConnectionOf(LDAP* session) {
    SOCKET connection = 0;
    if (ldap_get_option(session, LDAP_OPT_DESC, &connection) != LDAP_SUCCESS)
        return 0;
    return connection;
}

// The code in the closing message of a search's answer, when the chain holds that message.
bool ClosingCode(LDAP* session, LDAPMessage* chain, ULONG& code) {
    ULONG returned = LDAP_SUCCESS;
    if (ldap_parse_resultA(session, chain, &returned, nullptr, nullptr, nullptr, nullptr, FALSE) !=
        LDAP_SUCCESS)
        return false;
    code = returned;
    return true;
}

// The result code of a whole answer: its closing message's, or the library's for the chain.
ULONG WholeAnswerCode(LDAP* session, LDAPMessage* chain) {
    ULONG code = LDAP_SUCCESS;
    return ClosingCode(session, chain, code) ? code : ldap_result2error(session, chain, FALSE);
}

// The whole answer as one chain, however long it takes; the watch ends the wait when the
// server falls silent.
ULONG AwaitWatched(LDAP* session, ULONG message, const SilenceWatch& watch,
                   std::vector<LdapResult>& parts) {
    LdapResult whole;
    const ULONG got = ldap_result(session, message, LDAP_MSG_ALL, nullptr, whole.receive());
    if (got == 0 || got == static_cast<ULONG>(-1) || !whole.get())
        return watch.Closed() ? static_cast<ULONG>(LDAP_TIMEOUT) : LastLdapError();
    const ULONG code = WholeAnswerCode(session, whole.get());
    parts.push_back(std::move(whole));
    return code;
}

// The answer awaited a second at a time: when a second ends before the answer does, what has
// arrived so far is taken in as a part, and a second in which nothing arrived counts towards
// the silence.
ULONG AwaitSecondBySecond(LDAP* session, ULONG message, unsigned seconds,
                          std::vector<LdapResult>& parts) {
    unsigned silentSeconds = 0;
    for (;;) {
        LdapResult part;
        l_timeval second = {1, 0};
        const ULONG whole = ldap_result(session, message, LDAP_MSG_ALL, &second, part.receive());
        if (whole != 0) {
            if (whole == static_cast<ULONG>(-1) || !part.get())
                return LastLdapError();
            const ULONG code = WholeAnswerCode(session, part.get());
            parts.push_back(std::move(part));
            return code;
        }
        l_timeval poll = {0, 0};
        const ULONG got = ldap_result(session, message, LDAP_MSG_RECEIVED, &poll, part.receive());
        if (got == 0) {
            if (++silentSeconds < seconds)
                continue;
            ldap_abandon(session, message);
            return LDAP_TIMEOUT;
        }
        if (got == static_cast<ULONG>(-1) || !part.get())
            return LastLdapError();
        silentSeconds = 0;
        ULONG code = LDAP_SUCCESS;
        const bool closed = ClosingCode(session, part.get(), code);
        parts.push_back(std::move(part));
        if (closed)
            return code;
    }
}

// The plain search, bounded by the server's silence rather than by its whole length: a
// large directory may take minutes to arrive, but no answer for seconds means a silent
// server. parts holds the answer's chains in the directory's order. Returns the search's
// result code, LDAP_TIMEOUT when the server fell silent.
ULONG SearchWhileAnswered(LDAP* session, PCHAR base, PCHAR attributes[], unsigned seconds,
                          const SilenceWatch& watch, std::vector<LdapResult>& parts) {
    ULONG message = 0;
    const ULONG sent =
        ldap_search_extA(session, base, LDAP_SCOPE_SUBTREE, const_cast<PCHAR>(kFilter), attributes,
                         0, nullptr, nullptr, 0, 0, &message);
    if (sent != LDAP_SUCCESS)
        return sent;
    return watch.Watching() ? AwaitWatched(session, message, watch, parts)
                            : AwaitSecondBySecond(session, message, seconds, parts);
}

} // namespace

ULONG LastLdapError() {
    const ULONG code = LdapGetLastError();
    return code == LDAP_SUCCESS ? static_cast<ULONG>(LDAP_SERVER_DOWN) : code;
}

ULONG BindAnonymously(LDAP* session, unsigned seconds) {
    const ULONG message = ldap_simple_bindA(session, const_cast<PCHAR>(""), const_cast<PCHAR>(""));
    if (message == static_cast<ULONG>(-1)) {
        // The request could not even be sent (no connection). Not every library keeps the
        // reason for an asynchronous call; the synchronous bind reports it, and fails at once.
        return ldap_bind_sA(session, const_cast<PCHAR>(""), const_cast<PCHAR>(""),
                            LDAP_AUTH_SIMPLE);
    }
    LdapResult answer;
    const ULONG got = AwaitAnswer(session, message, seconds, answer);
    if (got == 0)
        return LDAP_TIMEOUT;
    // No answer at all: the connection broke while the bind waited for it.
    if (got == static_cast<ULONG>(-1) || !answer.get())
        return LDAP_SERVER_DOWN;
    return ldap_result2error(session, answer.get(), FALSE);
}

DirectorySearch SearchDirectory(LDAP* session, const std::string& base, PCHAR attributes[],
                                unsigned seconds) {
    DirectorySearch search;
    SilenceWatch watch(ConnectionOf(session), seconds);
    PCHAR searchBase = const_cast<PCHAR>(base.c_str());
    std::vector<LdapResult> single;
    search.code = SearchWhileAnswered(session, searchBase, attributes, seconds, watch, single);
    // A server that fell silent part-way leaves the address book as it is: no entries.
    if (search.code == LDAP_TIMEOUT)
        return search;
    for (const LdapResult& part : single)
        search.entries += CountEntries(session, part.get());
    if (!IsCutBySizeLimit(search.code)) {
        search.results = std::move(single);
        return search;
    }

    const ULONG pageSize = PageSizeAfterCut(search.entries);
    const char* reason = ldap_err2stringA(search.code);
    Trace(((reason ? reason : "") + std::string(" after ") + std::to_string(search.entries) +
           " entries: searching again in pages of " + std::to_string(pageSize))
              .c_str(),
          kTraceBlue);
    l_timeval bound = {static_cast<LONG>(seconds), 0};
    Pages pages = SearchInPages(session, searchBase, attributes, watch, bound, pageSize);
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
