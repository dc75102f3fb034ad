// A published book's entries: each directory entry by its name (the DN, UTF-8, in the record's
// name) with the first value of the attribute of each field, sorted by name in byte order, each
// name once. The sorted form is what the snapshot holds, so that the same entries always give
// the same bytes and the same SHA-256. A field is held where its text is not empty; the mail
// field where hasMail. Platform-free.
#ifndef TARN_BOOK_ENTRIES_H
#define TARN_BOOK_ENTRIES_H

#include "search/entry_records.h"
#include "search/search_request.h"

#include <string>
#include <vector>

using BookEntries = std::vector<EntryRecord>;

// Sorts entries by name and keeps the first of entries with the same name.
void SortBookEntries(BookEntries& entries);

// The distinct attributes of request's fields, in the order last name, first name, phone, mail;
// an attribute that two fields take is named once.
std::vector<std::string> BookAttributes(const SearchRequest& request);

// Whether entry holds attribute, and its value: the text of the first field that takes it.
bool EntryValue(const EntryRecord& entry, const SearchRequest& request,
                const std::string& attribute, std::string& value);

// Sets every field that takes attribute to value (present) or to nothing (absent); false where
// no field takes it.
bool SetEntryValue(EntryRecord& entry, const SearchRequest& request, const std::string& attribute,
                   const std::string* value);

// The same name and the same value (or none) of every field.
bool SameEntry(const EntryRecord& a, const EntryRecord& b);

#endif
