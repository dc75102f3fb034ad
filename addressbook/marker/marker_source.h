// Which change marker a directory server offers, chosen from its root entry (root DSE):
// DirSync on Active Directory, the naming context's contextCSN on OpenLDAP with the syncprov
// overlay, lastusn on 389 Directory Server with the USN plugin. contextCSN counts only where the
// naming context itself is served by a content synchronisation provider, which keeps the value
// current: a value left behind by an overlay since removed, or written once by an offline load,
// stays as it is while the data changes. The root entry advertises the control for the whole
// server as soon as one database has a provider, so the choice only rules out a server without
// any; the marker is read from the provider's own answer for the naming context
// (change_marker.cpp). Platform-free: the LDAP calls live in change_marker.cpp.
#ifndef TARN_MARKER_SOURCE_H
#define TARN_MARKER_SOURCE_H

#include "control_values.h"

#include <string>
#include <vector>

// What the root DSE says, as far as the marker needs it.
struct RootDseFacts {
    std::vector<std::string> namingContexts;
    std::vector<std::string> supportedControls;
    std::vector<std::string> lastUsn; // "<subtype>=<value>" per lastusn value, "=<value>" bare
    std::string vendorVersion;
    std::string dataVersion; // 389 Directory Server: changes whenever the server starts
};

enum class MarkerFamily {
    None,       // nothing the server offers tells a change
    DirSync,    // the DirSync control over the naming context
    ContextCsn, // contextCSN of the naming context, as its content sync provider names it
    LastUsn,    // the root entry's lastusn values
};

struct MarkerSource {
    MarkerFamily family = MarkerFamily::None;
    std::string namingContext; // the naming context that holds the search base
    // What tells this server's counter from another's: 389's version and start.
    std::string server;
    std::string marker; // the marker itself where the root DSE holds it (lastusn)
    std::string note;   // why there is none
};

MarkerSource ChooseMarkerSource(const RootDseFacts& facts, const std::string& base);

// The naming context that holds base (the longest one that is base or above it), compared as
// the directory does, without letter case or blanks around separators; "" where none does.
std::string NamingContextOf(const std::vector<std::string>& contexts, const std::string& base);

// Several values that the server may send in any order (contextCSN of several servers, lastusn
// of several back ends) as one text: sorted, separated by blanks.
std::string ValueSetText(std::vector<std::string> values);

// The state that a content synchronisation done value names: the contextCSN values in its
// cookie (the "csn" field of the provider's "rid=...,sid=...,csn=<csn>;<csn>..."), as one set
// text like ValueSetText's; "" where the value is not understood or names no state (a provider
// whose naming context holds no change yet sends no cookie).
std::string SyncDoneState(const std::string& doneValue);

// The family's short name in a kept marker: "dirsync", "sync", "usn"; "" for None.
const char* MarkerFamilyName(MarkerFamily family);

#endif
