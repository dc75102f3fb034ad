// Which change marker a directory server offers, chosen from its root entry (root DSE):
// DirSync on Active Directory, the naming context's contextCSN on OpenLDAP with the syncprov
// overlay, lastusn on 389 Directory Server with the USN plugin. contextCSN counts only where the
// server advertises the content synchronisation control, which the overlay that keeps the value
// current provides: a value left behind by an overlay since removed, or written once by an
// offline load, stays as it is while the data changes. Platform-free: the LDAP calls live in
// change_marker.cpp.
#ifndef TARN_MARKER_SOURCE_H
#define TARN_MARKER_SOURCE_H

#include <string>
#include <vector>

// The content synchronisation control (RFC 4533), advertised by the provider that keeps
// contextCSN current.
constexpr char kContentSyncOid[] = "1.3.6.1.4.1.4203.1.9.1.1";

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
    ContextCsn, // contextCSN of the naming context's entry, kept by a content sync provider
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

// The family's short name in a kept marker: "dirsync", "csn", "usn"; "" for None.
const char* MarkerFamilyName(MarkerFamily family);

#endif
