// The directory server's change marker, read before any search of the directory: which one the
// server offers (its root DSE, one base search for exactly the attributes the choice needs),
// then the marker itself:
//   contextCSN  one base search of the naming context's entry; several values as a sorted set
//   lastusn     the root DSE's values, read with the choice
//   DirSync     a DirSync cookie of the naming context and, read after it, the count of the
//               entries the download's filter matches (a list view that returns none of them).
//               With the cookie kept at the last whole refresh, a probe from it asks for the
//               download's attributes and those its filter names, and counts any entry that comes
//               as a change; the count catches the deletions that an ordinary account cannot see
//               as tombstones.
// Every request waits at most the seconds given for its answer, and the DirSync probe's requests
// together no longer.
#ifndef TARN_CHANGE_MARKER_H
#define TARN_CHANGE_MARKER_H

#include "connection/ldap_handles.h"
#include "marker_source.h"
#include "search/search_request.h"

#include <string>

MarkerSource FindMarkerSource(LDAP* session, const std::string& base, unsigned seconds);

struct ChangeMarker {
    std::string value; // "" where none could be read
    std::string note;  // why none could be read; what the probe found
};

// Reads the marker of source for the download's request (its filter and attributes). kept: the
// value kept at the last whole refresh from the same server and search, "" for none; where the
// marker shows no change since, the value read is kept itself.
ChangeMarker ReadChangeMarker(LDAP* session, const MarkerSource& source,
                              const SearchRequest& request, const std::string& kept,
                              unsigned seconds);

#endif
