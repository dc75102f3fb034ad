// The check of a TLS certificate that a directory server showed: its chain must end at an
// authority the system trusts, none of it may be revoked, and it must be issued for the host
// name the download connects to.
#ifndef TARN_CERTIFICATE_CHECK_H
#define TARN_CERTIFICATE_CHECK_H

#include <windows.h>
#include <wincrypt.h>

#include <string>

// What the check of a certificate found.
struct CertificateVerdict {
    bool checked = false;
    bool trusted = false;
    // Taken, but whether it was revoked could not be found out.
    bool revocationUnknown = false;
    std::string reason; // why it was refused, in words for the user
};

// How long the revocation check of a whole chain may fetch revocation lists and ask
// responders, together.
constexpr unsigned long kRevocationFetchMilliseconds = 10000;

// Checks cert against the system's trust store, the revocation of every certificate of its
// chain but the root, and the SSL policy for host.
CertificateVerdict CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& host);

#endif
