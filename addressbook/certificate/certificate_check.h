// The check of a TLS certificate that a directory server showed: its chain must end at an
// authority the system trusts and it must be issued for the host name the download connects to.
#ifndef TARN_CERTIFICATE_CHECK_H
#define TARN_CERTIFICATE_CHECK_H

#include <windows.h>
#include <wincrypt.h>

#include <string>

// What the check of a certificate found.
struct CertificateVerdict {
    bool checked = false;
    bool trusted = false;
    std::string reason; // why it was refused, in words for the user
};

// Checks cert against the system's trust store and the SSL policy for host.
CertificateVerdict CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& host);

#endif
