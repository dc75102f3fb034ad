// The difference between two versions of a publication: an LDIF change record (RFC 2849) per
// entry added, deleted or changed, by DN; a renamed or moved entry is a delete and an add.
// Platform-free.
#ifndef TARN_DIFFERENCE_LDIF_H
#define TARN_DIFFERENCE_LDIF_H

#include "book_entries.h"
#include "ldif_problem.h"
#include "search/search_request.h"

#include <string>

struct DifferenceCount {
    unsigned long added = 0, deleted = 0, changed = 0;
    unsigned long Total() const { return added + deleted + changed; }
};

// The change records that turn the sorted entries from into the sorted entries to, the
// attributes named as in request.
std::string DifferenceLdif(const BookEntries& from, const BookEntries& to,
                           const SearchRequest& request, DifferenceCount& count);

// Applies a difference to sorted entries, which stay sorted. False, with the line and why, for a
// malformed file or a change that does not fit the entries (an add of a name they hold, a delete
// or change of one they do not); entries are then unspecified, and the caller drops them.
bool ApplyDifferenceLdif(const std::string& bytes, const SearchRequest& request,
                         BookEntries& entries, LdifProblem& problem);

#endif
