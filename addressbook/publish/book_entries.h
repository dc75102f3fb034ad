// A published book's entries: each directory entry by its name (the DN, UTF-8, in the record's
// name) with the first value of the attribute of each field, sorted by name in byte order, each
// name once. The sorted form is what the snapshot holds, so that the same entries always give
// the same bytes and the same SHA-256. Platform-free.
#ifndef TARN_BOOK_ENTRIES_H
#define TARN_BOOK_ENTRIES_H

#include "search/entry_records.h"

#include <vector>

using BookEntries = std::vector<EntryRecord>;

// Sorts entries by name and keeps the first of entries with the same name.
void SortBookEntries(BookEntries& entries);

#endif
