// The check of a directory server's TLS certificate: its chain must end at an authority the
// system trusts and it must be issued for the host name the download connects to.
#ifndef TARN_SERVER_CERTIFICATE_H
#define TARN_SERVER_CERTIFICATE_H

#include "bind_settings.h"

#include <windows.h>
#include <wincrypt.h>
#include <winldap.h>

#include <string>

// What the check of a certificate found.
struct CertificateVerdict {
    bool checked = false;
    bool trusted = false;
    std::string reason; // why it was refused, in words for the user
};

// Checks cert against the system's trust store and the SSL policy for host.
CertificateVerdict CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& host);

// Makes sure that the server's certificate is checked before anything is sent over TLS.
// Where the client library takes a certificate callback, it is set on session and the library
// calls it during the handshake. Where it does not, a connection of our own to host:port
// (turned into TLS with StartTLS where security says so) shows the certificate, which is
// checked at once. Returns false with problem set when the check refused the certificate or
// could not be made.
bool ArrangeCertificateCheck(LDAP* session, const std::string& host, int port,
                             ConnectionSecurity security, unsigned seconds, std::string& problem);

// The verdict of the library's call of the callback on this program's session, if it came.
const CertificateVerdict& CallbackVerdict();

#endif
