#include "certificate_notices.h"

#include "connection/connection_notices.h"

std::string CertificateRefusedText(const std::string& server, const std::string& reason) {
    return "The certificate of the directory server " + server + " was refused: " + reason + "." +
           kNothingReadText;
}

std::string CertificateNotCheckedText(const std::string& server) {
    return "The certificate of the directory server " + server +
           " could not be checked: the LDAP client library did not show it. No sign-in was "
           "sent." +
           kNothingReadText;
}

std::string RevocationUnknownText(const std::string& server) {
    return "Whether the certificate of the directory server " + server +
           " was revoked could not be checked (no revocation list or responder answered in "
           "time, or the certificate names none): it was taken.";
}

std::string TlsFailedText(const std::string& server, const std::string& how,
                          const std::string& reason) {
    return reason + ": no encrypted connection (" + how +
           ") could be set up with the directory "
           "server " +
           server + "." + kNothingReadText;
}
