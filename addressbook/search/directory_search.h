// The directory's side of the download: the search, bounded in time, and the repetition in
// pages of a search that the server's size limit cut short.
#ifndef TARN_DIRECTORY_SEARCH_H
#define TARN_DIRECTORY_SEARCH_H

#include "entry_records.h"
#include "search_request.h"
#include "connection/ldap_handles.h"

#include <string>

// What a search brought: its entries as records, those of every page in the directory's order.
struct DirectorySearch {
    EntryRecords records;
    // The server answered: records hold what it brought, which may be nothing.
    bool answered = false;
    // LDAP_SUCCESS when the search is complete; else the code that ended it (LDAP_TIMEOUT
    // when the server did not answer in time).
    ULONG code = LDAP_SUCCESS;
    std::string diagnostic; // the server's own words on the plain search's code, if any
    bool paged = false;     // the records are those of the repeated search's pages
    bool brokenOff = false; // the search ended without the server's closing answer: no records
    // The server fell silent and the reader of its answer still waits in the session: the
    // session must not be used or unbound any more.
    bool sessionHeld = false;
};

// Searches the subtree below base (UTF-8, as request's filter) for the entries that request's
// filter matches, with the attributes it names, for as long as the server keeps answering;
// seconds of silence end it. A search that the server cut at its size limit is repeated in pages
// (Simple Paged Results) and the pages replace it, unless they brought fewer entries. A page
// size the server refuses is asked again smaller.
DirectorySearch SearchDirectory(LDAP* session, const std::string& base,
                                const SearchRequest& request, unsigned seconds);

#endif
