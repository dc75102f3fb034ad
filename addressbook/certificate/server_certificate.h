// The check of a directory server's TLS certificate arranged on the LDAP session: in the
// client library's certificate callback, or on a TLS handshake of the program's own.
#ifndef TARN_SERVER_CERTIFICATE_H
#define TARN_SERVER_CERTIFICATE_H

#include "certificate_check.h"
#include "connection/bind_settings.h"

#include <windows.h>
#include <winldap.h>

#include <string>

// Makes sure that the server's certificate is checked before anything is sent over TLS.
// Where the client library takes a certificate callback, it is set on session and the library
// calls it during the handshake. Where it does not, a connection of our own to host:port
// (turned into TLS with StartTLS where security says so) shows the certificate, which is
// checked at once. Returns false with problem set when the check refused the certificate or
// could not be made.
bool ArrangeCertificateCheck(LDAP* session, const std::string& host, int port,
                             ConnectionSecurity security, unsigned seconds, std::string& problem);

// The verdict on the certificate of session, as it stands: the one the library's call of the
// callback gave, or the one of the program's own handshake; not checked when neither came.
CertificateVerdict SessionCertificateVerdict(LDAP* session);

#endif
