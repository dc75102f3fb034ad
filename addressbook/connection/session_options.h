// The options the download sets on its LDAP session before it connects, so that it never
// depends on a client library's defaults: Windows' own client starts in protocol version 2
// (no controls, so no paged search), chases referrals on connections of its own and
// reconnects by itself after a broken connection; other clients differ.
#ifndef TARN_SESSION_OPTIONS_H
#define TARN_SESSION_OPTIONS_H

#include <windows.h>
#include <winldap.h>

// What setting the options came to: LDAP_SUCCESS, or the library's code for the option it
// refused and that option's name.
struct SessionOptionsResult {
    ULONG code = LDAP_SUCCESS;
    const char* refused = nullptr;
};

// Sets protocol version 3, referrals and continuation references not chased, no automatic
// reconnection and no client-side size or time limit. A library without automatic
// reconnection may not know that option at all; its refusal as not supported is accepted.
SessionOptionsResult SetSessionOptions(LDAP* session);

#endif
