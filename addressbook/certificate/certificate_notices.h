// The download's messages about the encrypted connection: the server's certificate and the TLS
// set-up. Built in, like the connection's other notices.
#ifndef TARN_CERTIFICATE_NOTICES_H
#define TARN_CERTIFICATE_NOTICES_H

#include <string>

// The server's certificate does not check out: not trusted, or not issued for host.
std::string CertificateRefusedText(const std::string& server, const std::string& reason);

// The server's certificate was never checked (the client library did not hand it over), so
// no sign-in was sent.
std::string CertificateNotCheckedText(const std::string& server);

// The certificate was taken, but whether it was revoked could not be found out.
std::string RevocationUnknownText(const std::string& server);

// TLS could not be set up with the server (reason: the library's text).
std::string TlsFailedText(const std::string& server, const std::string& how,
                          const std::string& reason);

#endif
