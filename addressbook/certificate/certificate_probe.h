// A TLS handshake of our own with the directory server, to see its certificate where the LDAP
// client library does not show it to the program.
#ifndef TARN_CERTIFICATE_PROBE_H
#define TARN_CERTIFICATE_PROBE_H

#include "certificate_check.h"

#include <string>

// Connects to host:port, asks for StartTLS first where startTls, completes a TLS handshake
// without the system's own certificate validation and checks the certificate the server
// showed. Every wait is bounded by seconds. A verdict that is not checked carries in reason
// why no certificate could be seen.
CertificateVerdict ProbeServerCertificate(const std::string& host, int port, bool startTls,
                                          unsigned seconds);

#endif
