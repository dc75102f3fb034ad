// Whether Kerberos can sign in to the directory server, asked of this computer's Kerberos
// package before anything goes to the server. Over plain LDAP a Negotiate bind is kept to
// Kerberos, the one package that proves the server; the client library is told so, but not every
// library honours that, so this check, made first, is what keeps an NTLM response from ever
// leaving where Kerberos cannot be had.
#ifndef TARN_KERBEROS_CHECK_H
#define TARN_KERBEROS_CHECK_H

#include "directory_bind.h"

#include <string>

// The service principal of the directory server host: "ldap/<host>".
std::string DirectoryService(const std::string& host);

// Asks the Kerberos package for the first token of a context with the service of host, for the
// logged-on user or request's account (its password included). The token needs a ticket for the
// service from the domain's key distribution centre, which there is only where the service's
// name is known there: a HostName given as an address, a name without a service principal, or
// no domain controller to ask gives none. Nothing is sent to the directory server. Returns ""
// when a token came, else why none did, in the system's words.
std::string KerberosUnavailable(const std::string& host, BindRequest& request);

#endif
