// The directory's side of the download: the search, bounded in time, and the repetition in
// pages of a search that the server's size limit cut short.
#ifndef TARN_DIRECTORY_SEARCH_H
#define TARN_DIRECTORY_SEARCH_H

#include "ldap_handles.h"

#include <string>
#include <vector>

// What a search brought: one result chain, or one per page, in the directory's order.
struct DirectorySearch {
    std::vector<LdapResult> results;
    // LDAP_SUCCESS when the search is complete; else the code that ended it (LDAP_TIMEOUT
    // when the server did not answer in time).
    ULONG code = LDAP_SUCCESS;
    ULONG entries = 0;
    std::string diagnostic; // the server's own words on the plain search's code, if any
    bool paged = false;     // the results are the pages of the repeated search
    bool brokenOff = false; // the search ended without the server's closing answer: no results
    // The server fell silent and the reader of its answer still waits in the session: the
    // session may read and free what came, and must not be used or unbound otherwise.
    bool sessionHeld = false;
};

// Searches the subtree below base for "cn=*" with the attributes given, for as long as the
// server keeps answering; seconds of silence end it. A search that the server cut at its size
// limit is repeated in pages (Simple Paged Results) and the pages replace it, unless they
// brought fewer entries. A page size the server refuses is asked again smaller.
DirectorySearch SearchDirectory(LDAP* session, const std::string& base, PCHAR attributes[],
                                unsigned seconds);

#endif
