// The LDAP result codes the download decides by (RFC 4511), and the client library's own
// codes among them, as numbers: platform-free code cannot take them from the library's header.
#ifndef TARN_LDAP_CODES_H
#define TARN_LDAP_CODES_H

constexpr unsigned long kLdapSuccess = 0x00;
constexpr unsigned long kLdapOperationsError = 0x01;
constexpr unsigned long kLdapSizeLimitExceeded = 0x04;
constexpr unsigned long kLdapAuthMethodNotSupported = 0x07;
constexpr unsigned long kLdapStrongAuthRequired = 0x08;
constexpr unsigned long kLdapAdminLimitExceeded = 0x0b;
constexpr unsigned long kLdapConfidentialityRequired = 0x0d;
constexpr unsigned long kLdapNoSuchObject = 0x20;
constexpr unsigned long kLdapInappropriateAuth = 0x30;
constexpr unsigned long kLdapInvalidCredentials = 0x31;
constexpr unsigned long kLdapInsufficientRights = 0x32;
constexpr unsigned long kLdapUnwillingToPerform = 0x35;
constexpr unsigned long kLdapLoopDetect = 0x36;
// The client library's own: no answer in time, a bind method it lacks, nothing returned.
constexpr unsigned long kLdapTimeout = 0x55;
constexpr unsigned long kLdapAuthUnknown = 0x56;
constexpr unsigned long kLdapNotSupported = 0x5c;
constexpr unsigned long kLdapNoResultsReturned = 0x5e;

#endif
