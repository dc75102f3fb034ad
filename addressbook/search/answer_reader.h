// The answer to one search request, read on a thread of its own while the caller watches that it
// keeps coming. The library's wait without a time limit costs nothing per message; a wait
// with one reads the clock after every message. The bound on a silent server is kept by the
// caller's thread instead, which looks once a second whether anything arrived and meanwhile
// answers its windows' messages.
#ifndef TARN_ANSWER_READER_H
#define TARN_ANSWER_READER_H

#include "directory_text.h"
#include "entry_records.h"
#include "connection/ldap_handles.h"

enum class AnswerEnd {
    Closed, // the closing message arrived; it is the last part
    Broken, // the library gave up on the connection, or no reader could be started
    Silent, // seconds passed without a message; the reader still waits in the session
};

struct AnswerRead {
    AnswerEnd end = AnswerEnd::Closed;
    ULONG code = LDAP_SUCCESS;  // Broken: why
    unsigned long messages = 0; // the messages that came, closing one included
};

// Reads the answer to message: each entry, as it arrives, is read into its record by the
// attributes of request, the record appended to records and the message freed; the closing message
// goes to closing. After seconds in a row in which nothing arrived the caller gets the records so
// far and AnswerEnd::Silent: the reader is left waiting in the session, so the session must not be
// used again, not even to unbind it.
AnswerRead ReadAnswer(LDAP* session, ULONG message, const SearchRequest& request, unsigned seconds,
                      EntryRecords& records, LdapResult& closing);

#endif
