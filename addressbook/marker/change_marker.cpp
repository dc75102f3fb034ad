#include "change_marker.h"

#include "control_values.h"
#include "connection/directory_bind.h"
#include "search/utf8_search.h"
#include "unicode_text.h"

#include <vector>

namespace {

// A filter that the naming context's entries never match: a DirSync search with it reads the
// cookie without sending any entry.
constexpr char kNoEntryFilter[] = "(&(cn=*)(!(cn=*)))";
// Past every name: the list view's target is past the end, so it returns no entry.
constexpr char kPastEveryName[] = "\x7f\x7f\x7f\x7f";
// What the server may send per DirSync answer; Samba sends nothing for 0.
constexpr unsigned long kDirSyncBytes = 1048576;
// DirSync answers of a fresh cookie followed at most, all within the probe's seconds.
constexpr int kMostDirSyncRounds = 100;
const char* const kShowDeletedOid = "1.2.840.113556.1.4.417";

// code where it tells a failure, else otherwise.
ULONG FailureCode(ULONG code, ULONG otherwise) {
    return code != static_cast<ULONG>(LDAP_SUCCESS) ? code : otherwise;
}

// The whole seconds left until deadline (a tick count); 0 once it has passed.
unsigned SecondsLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<unsigned>((deadline - now + 999) / 1000);
}

// The server stopped answering or went away: no further request is worth sending.
bool IsLost(ULONG code) {
    return code == LDAP_TIMEOUT || code == LDAP_SERVER_DOWN || code == LDAP_CONNECT_ERROR;
}

// A server control of ours: the value's bytes live in value.
struct OwnControl {
    OwnControl(const char* oid, const std::string& bytes, bool critical) : value(bytes) {
        control.ldctl_oid = const_cast<PCHAR>(oid);
        control.ldctl_value.bv_len = static_cast<ULONG>(value.size());
        control.ldctl_value.bv_val = value.empty() ? nullptr : &value[0];
        control.ldctl_iscritical = critical ? TRUE : FALSE;
    }
    OwnControl(const OwnControl&) = delete;
    OwnControl& operator=(const OwnControl&) = delete;
    std::string value;
    LDAPControlA control = {};
};

// One request's whole answer.
struct Answer {
    ULONG code = LDAP_SUCCESS; // the closing code, or why no answer came
    LdapResult chain;
    LdapControls controls; // the closing message's controls
    unsigned long entries = 0;
};

// Sends one search and awaits its whole answer, at most seconds.
Answer SearchOnce(LDAP* session, const std::string& base, ULONG scope, const char* filter,
                  PCHAR attributes[], PLDAPControlA* controls, ULONG sizeLimit, unsigned seconds) {
    Answer answer;
    ULONG message = 0;
    // The filter is the download's (UTF-8); base is a naming context as the server named it.
    const ULONG sent = SendSearch(session, Utf8FromCodePage(base), scope, filter, attributes,
                                  controls, sizeLimit, &message);
    if (sent != LDAP_SUCCESS) {
        answer.code = sent == static_cast<ULONG>(-1) ? LastLdapError() : sent;
        return answer;
    }
    l_timeval bound = {static_cast<LONG>(seconds), 0};
    const ULONG type = ldap_result(session, message, LDAP_MSG_ALL, &bound, answer.chain.receive());
    if (type == 0) {
        ldap_abandon(session, message);
        answer.code = LDAP_TIMEOUT;
        return answer;
    }
    if (type == static_cast<ULONG>(-1) || !answer.chain.get()) {
        answer.code = LastLdapError();
        return answer;
    }
    answer.entries = ldap_count_entries(session, answer.chain.get());
    ULONG code = LDAP_SUCCESS;
    if (ldap_parse_resultA(session, answer.chain.get(), &code, nullptr, nullptr, nullptr,
                           answer.controls.receive(), FALSE) != LDAP_SUCCESS)
        code = LDAP_DECODING_ERROR;
    answer.code = code;
    return answer;
}

// The value of the response control oid, or false.
bool ControlValue(const LdapControls& controls, const char* oid, std::string& value) {
    for (PLDAPControlA* each = controls.get(); each && *each; ++each) {
        if ((*each)->ldctl_oid && std::string((*each)->ldctl_oid) == oid) {
            value = ValueBytes((*each)->ldctl_value.bv_val, (*each)->ldctl_value.bv_len);
            return true;
        }
    }
    return false;
}

// Every value of attribute in entry, as the server sent them.
std::vector<std::string> Values(LDAP* session, LDAPMessage* entry, const char* attribute) {
    std::vector<std::string> values;
    const LdapValues read(ldap_get_valuesA(session, entry, const_cast<PCHAR>(attribute)));
    for (PCHAR* each = read.get(); each && *each; ++each)
        values.emplace_back(*each);
    return values;
}

// The root DSE's lastusn values, each "<subtype>=<value>", whatever back end they name.
std::vector<std::string> LastUsnValues(LDAP* session, LDAPMessage* entry) {
    std::vector<std::string> values;
    LdapPosition position;
    for (LdapText name(ldap_first_attributeA(session, entry, position.receive())); name.get();
         name = LdapText(ldap_next_attributeA(session, entry, position.get()))) {
        const std::string attribute = name.get();
        std::string lower;
        for (char c : attribute)
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower != "lastusn" && lower.compare(0, 8, "lastusn;") != 0)
            continue;
        const std::string subtype = lower.size() > 8 ? lower.substr(8) : std::string();
        for (const std::string& value : Values(session, entry, attribute.c_str()))
            values.push_back(subtype + "=" + value);
    }
    return values;
}

// The count of the entries below context that filter matches, by a list view sorted by cn that
// returns none of them.
bool CountEntries(LDAP* session, const std::string& context, const std::string& filter,
                  unsigned seconds, unsigned long& count, std::string& note) {
    OwnControl sort(kSortOid, EncodeSortRequest("cn"), true);
    OwnControl view(kVlvRequestOid, EncodeVlvRequest(kPastEveryName), true);
    PLDAPControlA controls[] = {&sort.control, &view.control, nullptr};
    PCHAR attributes[] = {const_cast<PCHAR>("1.1"), nullptr};
    const Answer answer = SearchOnce(session, context, LDAP_SCOPE_SUBTREE, filter.c_str(),
                                     attributes, controls, 0, seconds);
    std::string value;
    if (answer.code != LDAP_SUCCESS || !ControlValue(answer.controls, kVlvResponseOid, value) ||
        !DecodeVlvCount(value, count)) {
        note = "the count of the entries was refused (" +
               LdapErrorText(FailureCode(answer.code, LDAP_DECODING_ERROR)) + ")";
        return false;
    }
    return true;
}

// A DirSync search of context from cookie; the answer's own control goes to response.
Answer DirSyncSearch(LDAP* session, const std::string& context, const std::string& cookie,
                     const char* filter, PCHAR attributes[], ULONG sizeLimit, unsigned seconds,
                     DirSyncResponse& response, bool& understood) {
    OwnControl dirSync(kDirSyncOid,
                       EncodeDirSyncRequest(kDirSyncObjectSecurity, kDirSyncBytes, cookie), true);
    OwnControl showDeleted(kShowDeletedOid, std::string(), false);
    PLDAPControlA controls[] = {&dirSync.control, &showDeleted.control, nullptr};
    Answer answer = SearchOnce(session, context, LDAP_SCOPE_SUBTREE, filter, attributes, controls,
                               sizeLimit, seconds);
    std::string value;
    understood =
        ControlValue(answer.controls, kDirSyncOid, value) && DecodeDirSyncResponse(value, response);
    return answer;
}

// A cookie of the naming context as it is now, without any entry sent.
bool FreshCookie(LDAP* session, const std::string& context, ULONGLONG deadline, std::string& cookie,
                 std::string& note) {
    PCHAR attributes[] = {const_cast<PCHAR>("name"), nullptr};
    std::string from;
    for (int round = 0; round < kMostDirSyncRounds; ++round) {
        const unsigned seconds = SecondsLeft(deadline);
        if (seconds == 0)
            break;
        DirSyncResponse response;
        bool understood = false;
        const Answer answer = DirSyncSearch(session, context, from, kNoEntryFilter, attributes, 0,
                                            seconds, response, understood);
        if (answer.code != LDAP_SUCCESS || !understood || response.cookie.empty()) {
            note = "DirSync was refused (" +
                   LdapErrorText(FailureCode(answer.code, LDAP_DECODING_ERROR)) + ")";
            return false;
        }
        from = response.cookie;
        if (!response.moreResults) {
            cookie = from;
            return true;
        }
    }
    note = "DirSync did not reach the end of its changes in time";
    return false;
}

// True where a DirSync probe from cookie brings no entry at all.
bool NothingChangedSince(LDAP* session, const std::string& context, const SearchRequest& request,
                         const std::string& cookie, unsigned seconds, std::string& note,
                         bool& lost) {
    // The record's attributes; a rename or a move changes name, a deletion sets isDeleted; and
    // what the filter names, whose change can bring an entry into the book or take it out.
    std::vector<std::string> names = {request.firstName, request.lastName, request.phone,
                                      request.mail};
    for (const char* name : {"name", "isDeleted"})
        AddAttributeOnce(names, name);
    for (const std::string& name : FilterAttributes(request.filter))
        AddAttributeOnce(names, name);
    std::vector<PCHAR> attributes;
    for (std::string& name : names)
        attributes.push_back(&name[0]);
    attributes.push_back(nullptr);
    DirSyncResponse response;
    bool understood = false;
    // One entry is enough to tell a change.
    const Answer answer = DirSyncSearch(session, context, cookie, request.filter.c_str(),
                                        attributes.data(), 1, seconds, response, understood);
    if (answer.code == LDAP_SIZELIMIT_EXCEEDED || answer.entries > 0) {
        note = "entries changed since the kept DirSync cookie";
        return false;
    }
    lost = IsLost(answer.code);
    if (answer.code != LDAP_SUCCESS || !understood) {
        note = "the kept DirSync cookie was refused (" +
               LdapErrorText(FailureCode(answer.code, LDAP_DECODING_ERROR)) + ")";
        return false;
    }
    if (response.moreResults) {
        note = "DirSync holds more changes";
        return false;
    }
    return true;
}

// The count of the entries now, within what is left of the probe's time.
bool CountInTime(LDAP* session, const std::string& context, const std::string& filter,
                 ULONGLONG deadline, unsigned long& count, std::string& note) {
    const unsigned seconds = SecondsLeft(deadline);
    if (seconds == 0) {
        note = "the count of the entries was not read in time";
        return false;
    }
    return CountEntries(session, context, filter, seconds, count, note);
}

// The kept value is "<count> <base64 cookie>". A cookie is always read before its count: a change
// after the cookie is among what DirSync shows from it, a deletion after the count moves the
// count, and so whatever changes once the marker is read is seen at the next logon. (Read the
// other way round, an entry added between the count and the cookie would be in neither, and a
// deletion after it would bring the count back to the one kept.)
ChangeMarker ReadDirSyncMarker(LDAP* session, const std::string& context,
                               const SearchRequest& request, const std::string& kept,
                               unsigned seconds) {
    // Every request of the probe together waits at most the seconds given.
    const ULONGLONG deadline = GetTickCount64() + 1000ull * seconds;
    ChangeMarker marker;
    unsigned long count = 0;
    const std::string::size_type blank = kept.find(' ');
    std::string keptCookie;
    bool lost = false;
    if (blank != std::string::npos && FromBase64(kept.substr(blank + 1), keptCookie) &&
        !keptCookie.empty() && SecondsLeft(deadline) > 0 &&
        NothingChangedSince(session, context, request, keptCookie, SecondsLeft(deadline),
                            marker.note, lost)) {
        // DirSync shows nothing since the kept cookie, which stays: a change after this probe
        // is seen from it. A deletion shows in the count alone.
        if (!CountInTime(session, context, request.filter, deadline, count, marker.note))
            return marker;
        if (kept.compare(0, blank, std::to_string(count)) == 0) {
            marker.value = kept;
            return marker;
        }
        marker.note = "the count of the entries changed since the kept DirSync cookie";
    }
    std::string cookie;
    if (lost || !FreshCookie(session, context, deadline, cookie, marker.note) ||
        !CountInTime(session, context, request.filter, deadline, count, marker.note))
        return marker;
    marker.value = std::to_string(count) + " " + Base64(cookie);
    return marker;
}

// The naming context's state, proved at each run to come from a content synchronisation
// provider that serves the context itself: a refresh of it without a cookie, for no entry,
// whose closing message names the provider's contextCSN in its cookie. The root entry
// advertises the control for the whole server; a database that no provider serves refuses the
// critical control, and its contextCSN (written once by an offline load, say) need not follow
// its changes. Without a cookie and without an entry the provider sends no intermediate
// message, only the closing one.
ChangeMarker ReadSyncState(LDAP* session, const std::string& context, unsigned seconds) {
    OwnControl sync(kContentSyncOid, EncodeSyncRefreshOnly(), true);
    PLDAPControlA controls[] = {&sync.control, nullptr};
    PCHAR attributes[] = {const_cast<PCHAR>("1.1"), nullptr};
    const Answer answer = SearchOnce(session, context, LDAP_SCOPE_BASE, kNoEntryFilter, attributes,
                                     controls, 0, seconds);
    ChangeMarker marker;
    std::string done;
    if (answer.code != LDAP_SUCCESS)
        marker.note = "content synchronisation of its naming context was refused (" +
                      LdapErrorText(answer.code) + ")";
    else if (!ControlValue(answer.controls, kSyncDoneOid, done) ||
             (marker.value = SyncDoneState(done)).empty())
        marker.note = "content synchronisation of its naming context named no state";
    return marker;
}

} // namespace

MarkerSource FindMarkerSource(LDAP* session, const std::string& base, unsigned seconds) {
    PCHAR attributes[] = {
        const_cast<PCHAR>("namingContexts"), const_cast<PCHAR>("supportedControl"),
        const_cast<PCHAR>("lastusn"),        const_cast<PCHAR>("vendorVersion"),
        const_cast<PCHAR>("dataversion"),    nullptr};
    const Answer answer = SearchOnce(session, "", LDAP_SCOPE_BASE, "(objectClass=*)", attributes,
                                     nullptr, 0, seconds);
    LDAPMessage* entry =
        answer.code == LDAP_SUCCESS ? ldap_first_entry(session, answer.chain.get()) : nullptr;
    if (!entry) {
        MarkerSource none;
        none.note = "its root entry could not be read (" +
                    LdapErrorText(FailureCode(answer.code, LDAP_NO_RESULTS_RETURNED)) + ")";
        return none;
    }
    RootDseFacts facts;
    facts.namingContexts = Values(session, entry, "namingContexts");
    facts.supportedControls = Values(session, entry, "supportedControl");
    facts.lastUsn = LastUsnValues(session, entry);
    const std::vector<std::string> version = Values(session, entry, "vendorVersion");
    const std::vector<std::string> data = Values(session, entry, "dataversion");
    facts.vendorVersion = version.empty() ? std::string() : version.front();
    facts.dataVersion = data.empty() ? std::string() : data.front();
    return ChooseMarkerSource(facts, base);
}

ChangeMarker ReadChangeMarker(LDAP* session, const MarkerSource& source,
                              const SearchRequest& request, const std::string& kept,
                              unsigned seconds) {
    switch (source.family) {
    case MarkerFamily::DirSync:
        return ReadDirSyncMarker(session, source.namingContext, request, kept, seconds);
    case MarkerFamily::ContextCsn:
        return ReadSyncState(session, source.namingContext, seconds);
    case MarkerFamily::LastUsn: {
        ChangeMarker marker;
        marker.value = source.marker;
        return marker;
    }
    case MarkerFamily::None:
        break;
    }
    ChangeMarker none;
    none.note = source.note;
    return none;
}
