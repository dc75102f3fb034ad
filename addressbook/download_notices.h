// The download's own notices: a search that failed or came back incomplete, a filter or
// attribute setting that cannot be used, a book left as it was (another run refreshing it, a
// download that shrank it). The resource library has no texts for them, so they are built in.
#ifndef TARN_DOWNLOAD_NOTICES_H
#define TARN_DOWNLOAD_NOTICES_H

#include <string>

// A count with thousands grouped by commas: 1000 gives "1,000".
std::string GroupedCount(unsigned long count);

// The server ended the search early; reason is the client library's text for its code.
std::string SearchCutText(unsigned long entries, const std::string& reason);

// The server stopped answering in the middle of a paged search; what came was written.
std::string ServerSilentCutText(const std::string& host, int port, unsigned seconds,
                                unsigned long entries);

// The connection to the server broke during the search; reason is the library's text for
// its code. Nothing was written.
std::string ConnectionLostText(const std::string& host, int port, const std::string& reason);

// SearchFilter holds a filter that the LDAP client library refuses; reason is its text for the
// code.
std::string SearchFilterRefusedText(const std::string& filter, const std::string& reason);

// A SearchFilter is set but cannot be read (why: it is too long), and no more trusted layer
// gives one that can be.
std::string SearchFilterUnreadableText(const std::string& why);

// A policy holds a value that decides who or what is in the address book and cannot be used;
// report says which and why.
std::string BookPolicyRefusedText(const std::string& report);

// The attribute setting name holds value, which is not an attribute description.
std::string AttributeRefusedText(const std::string& name, const std::string& value);

// The download would write records, fewer than (100 - limit)% of the lastRecords that the
// whole refresh of when wrote: the address book is left as it was.
std::string BookShrankText(unsigned long records, unsigned long lastRecords, unsigned limit,
                           const std::string& when);

// Another run of this user is refreshing the address book.
std::string AnotherRunText();

// Another run of this user, process pid started at started, has held the address book for
// ageMinutes, beyond the boundMinutes a run takes.
std::string StuckRunText(unsigned long pid, const std::string& started, unsigned long ageMinutes,
                         unsigned long boundMinutes);

// An entry whose mail address the system code page cannot hold unchanged, on a bridge that
// takes only the code page: no run can write the book whole.
std::string UnwritableMailText(const std::string& entryName);

// The search found entries, none of which would become a record (none with an Internet
// address in mailAttribute that could be written): the book is left as it was.
std::string NothingToWriteText(unsigned long entries, const std::string& mailAttribute);

// ShrinkLimit is set but finds no count to compare with (why: where the count is missing
// from); the download goes on unguarded.
std::string UnguardedText(unsigned limit, const std::string& why);

#endif
