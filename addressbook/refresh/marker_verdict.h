// Refresh changed before any search: the directory server's change marker as kept with a
// whole refresh, and whether the marker read now says that nothing changed since. A kept
// marker names its family and, hashed, the server and the search it belongs to, so that a
// marker of another family, server, search base, account or address book never matches.
#ifndef TARN_MARKER_VERDICT_H
#define TARN_MARKER_VERDICT_H

#include "refresh_rule.h"

#include <cstdint>
#include <string>

// The marker as kept: "<family>:<hash of where>:<value>". where: everything that tells this
// server and this search from others (server identity, host and port, search base, account,
// notes.ini, mail server). "" where value is empty.
std::string KeptMarker(const std::string& family, const std::string& where,
                       const std::string& value);
// The value of a kept marker of this family and place; "" for any other.
std::string KeptMarkerValue(const std::string& kept, const std::string& family,
                            const std::string& where);

enum class MarkerVerdict {
    Unchanged,  // the same marker as at the last whole refresh: nothing is searched
    Moved,      // the marker moved: something changed
    Elsewhere,  // the kept marker is of another family, server or search
    NotKept,    // the last whole refresh kept no marker
    Unreadable, // no marker could be read now
    Due,        // the last whole refresh is RefreshDays old (or from the future)
    Unknown,    // no whole refresh is on record
};

MarkerVerdict JudgeMarker(const RefreshRule& rule, const LastRefresh* last,
                          const std::string& marker, std::uint64_t now);

#endif
