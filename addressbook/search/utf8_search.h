// Sending a search whose base and filter are UTF-8, the form the download keeps them in. The
// client library's UTF-16 call hands every character to the server unchanged (LDAP carries
// UTF-8); its ANSI call would take them through the system code page, where a character the
// code page lacks becomes another one and the filter another valid filter.
#ifndef TARN_UTF8_SEARCH_H
#define TARN_UTF8_SEARCH_H

#include <windows.h>
#include <winldap.h>

#include <string>

// ldap_search_extA's request with base and filter taken as UTF-8: attributes (ASCII names) and
// controls are passed on as they are, without client-side time limit.
ULONG SendSearch(LDAP* session, const std::string& base, ULONG scope, const std::string& filter,
                 PCHAR attributes[], PLDAPControlA* controls, ULONG sizeLimit, ULONG* message);

// ldap_check_filterA for a filter taken as UTF-8.
ULONG CheckFilter(LDAP* session, const std::string& filter);

#endif
