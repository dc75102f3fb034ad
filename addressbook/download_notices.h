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

// A SearchFilter is set but cannot be read (why: it is too long, or a policy value of another
// registry type), and no other layer gives one that can be.
std::string SearchFilterUnreadableText(const std::string& why);

// The attribute setting name holds value, which is not an attribute description.
std::string AttributeRefusedText(const std::string& name, const std::string& value);

// The download would write records, fewer than (100 - limit)% of the lastRecords that the
// whole refresh of when wrote: the address book is left as it was.
std::string BookShrankText(unsigned long records, unsigned long lastRecords, unsigned limit,
                           const std::string& when);

// Another run of this user is refreshing the address book.
std::string AnotherRunText();

// An entry whose mail address the system code page cannot hold unchanged.
std::string UnwritableMailText(const std::string& entryName);

#endif
