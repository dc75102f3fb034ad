// The values of the controls that read a directory server's change marker, in BER as the
// server takes and sends them, encoded here rather than by the client library's BER functions.
// Platform-free: the LDAP calls live in change_marker.cpp.
//   DirSync (1.2.840.113556.1.4.841)
//     request:  SEQUENCE { flags INTEGER, maxBytes INTEGER, cookie OCTET STRING }
//     response: SEQUENCE { moreResults INTEGER, unused INTEGER, cookie OCTET STRING }
//   server-side sort (1.2.840.113556.1.4.473), request: SEQUENCE OF SEQUENCE { type OCTET STRING }
//   virtual list view (2.16.840.1.113730.3.4.9 and .10)
//     request:  SEQUENCE { before INTEGER, after INTEGER, greaterThanOrEqual [1] OCTET STRING }
//     response: SEQUENCE { targetPosition INTEGER, contentCount INTEGER, result ENUMERATED, ... }
//   content synchronisation (RFC 4533)
//     request (1.3.6.1.4.1.4203.1.9.1.1):
//               SEQUENCE { mode ENUMERATED, cookie OCTET STRING OPTIONAL, reloadHint BOOLEAN }
//     done (1.3.6.1.4.1.4203.1.9.1.3), on the closing message:
//               SEQUENCE { cookie OCTET STRING OPTIONAL, refreshDeletes BOOLEAN DEFAULT FALSE }
#ifndef TARN_CONTROL_VALUES_H
#define TARN_CONTROL_VALUES_H

#include "base64.h"

#include <string>

constexpr char kDirSyncOid[] = "1.2.840.113556.1.4.841";
// Only what the caller may read is returned: ordinary accounts may ask.
constexpr unsigned long kDirSyncObjectSecurity = 0x1;

// The request control's value. flags and maxBytes are 32-bit values of the server's.
std::string EncodeDirSyncRequest(unsigned long flags, unsigned long maxBytes,
                                 const std::string& cookie);

struct DirSyncResponse {
    bool moreResults = false; // the server holds more changes than it sent
    std::string cookie;       // the state the answer reached
};

// False where value is not a whole response value (and nothing after it).
bool DecodeDirSyncResponse(const std::string& value, DirSyncResponse& response);

constexpr char kSortOid[] = "1.2.840.113556.1.4.473";
constexpr char kVlvRequestOid[] = "2.16.840.1.113730.3.4.9";
constexpr char kVlvResponseOid[] = "2.16.840.1.113730.3.4.10";

// A sort by one attribute, ascending.
std::string EncodeSortRequest(const std::string& attribute);
// A list view of no entries before or after the first entry at or past value: with a value
// past every entry, the answer holds no entry, only the count of those the filter matches.
std::string EncodeVlvRequest(const std::string& value);
// The count of the entries in the list; false where value is not a response value or its
// result is not success.
bool DecodeVlvCount(const std::string& value, unsigned long& count);

// The content synchronisation control, which a provider that keeps contextCSN current answers.
constexpr char kContentSyncOid[] = "1.3.6.1.4.1.4203.1.9.1.1";
constexpr char kSyncDoneOid[] = "1.3.6.1.4.1.4203.1.9.1.3";

// A refresh only, without a cookie: the content as it is now. Without a cookie the provider
// sends no intermediate message, only the entries that match and the closing message.
std::string EncodeSyncRefreshOnly();
// The cookie of a done value; false where value is not a whole done value. hasCookie: whether
// it carries one.
bool DecodeSyncDone(const std::string& value, bool& hasCookie, std::string& cookie);

// A value as the client library hands it over, a pointer and a length: a value without a
// pointer is empty, whatever its length says.
std::string ValueBytes(const char* bytes, unsigned long length);

#endif
