// The answer to one search request, read on a thread of its own while the caller watches that it
// keeps coming. The library's wait without a time limit costs nothing per message; a wait
// with one reads the clock after every message. The bound on a silent server is kept by the
// caller's thread instead, which looks once a second whether anything arrived.
#ifndef TARN_ANSWER_READER_H
#define TARN_ANSWER_READER_H

#include "ldap_handles.h"

#include <vector>

enum class AnswerEnd {
    Closed, // the closing message arrived; it is the last part
    Broken, // the library gave up on the connection, or no reader could be started
    Silent, // seconds passed without a message; the reader still waits in the session
};

struct AnswerRead {
    AnswerEnd end = AnswerEnd::Closed;
    ULONG code = LDAP_SUCCESS; // Broken: why
};

// Reads the answer to message into parts, one message a part, in the order of arrival. After
// seconds in a row in which nothing arrived the caller gets the parts so far and AnswerEnd::
// Silent: the reader is left waiting in the session, so the session must not be used again,
// not even to unbind it (what came keeps its place and may still be read and freed).
AnswerRead ReadAnswer(LDAP* session, ULONG message, unsigned seconds,
                      std::vector<LdapResult>& parts);

#endif
