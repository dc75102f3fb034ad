// The snapshot of a publication: every entry as an LDIF content record (RFC 2849, UTF-8, base64
// where the RFC asks), its DN and the first value of each field's attribute under the attribute's
// configured name. Platform-free.
#ifndef TARN_SNAPSHOT_LDIF_H
#define TARN_SNAPSHOT_LDIF_H

#include "book_entries.h"
#include "ldif_lines.h"
#include "ldif_problem.h"
#include "search/search_request.h"

#include <cstddef>
#include <string>

// The snapshot's bytes of sorted entries, the attributes named as in request. The same entries
// and names always give the same bytes.
std::string SnapshotLdif(const BookEntries& sorted, const SearchRequest& request);

// The entries of a snapshot whose records carry request's attributes. False, with the line and
// why, for anything but a snapshot as SnapshotLdif writes one (records out of order or twice
// included); entries then hold nothing.
bool ReadSnapshotLdif(const std::string& bytes, const SearchRequest& request, BookEntries& entries,
                      LdifProblem& problem);

// Reads the attribute lines of record from line first on into entry's fields; false, with the
// line and why, for an attribute the book does not take, one given twice, or a "-".
bool ReadEntryLines(const LdifRecord& record, std::size_t first, const SearchRequest& request,
                    EntryRecord& entry, LdifProblem& problem);

#endif
