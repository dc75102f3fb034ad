// The download's messages about the connection to the directory: its session options, a
// server that does not answer and signing in. The resource library
// has no texts for them, so they are built in. None of them ever holds a password.
#ifndef TARN_CONNECTION_NOTICES_H
#define TARN_CONNECTION_NOTICES_H

#include <string>

// The seconds the download waits for the directory server to answer one request
// (connecting and binding, the search, each page of a paged search).
constexpr unsigned kServerAnswerSeconds = 30;

// The last sentence of every notice that ends the run before anything was read.
constexpr char kNothingReadText[] = " Nothing was read from the directory.";

// The LDAP client library refused a session option the download relies on; reason is its
// text for the code.
std::string SessionOptionRefusedText(const std::string& option, const std::string& reason);

// The server did not answer a request in time; nothing was written.
std::string ServerSilentText(const std::string& host, int port, unsigned seconds);

// The library's text for a code with the server's own words on it, where it sent any:
// "Invalid Credentials (80090308: ... data 52e ...)".
std::string WithServerWords(const std::string& reason, const std::string& diagnostic);

// A BindMethod or Security value this program does not know; known lists the values it does.
std::string UnknownSettingText(const std::string& name, const std::string& value,
                               const std::string& known);

// BindMethod simple without BindUser.
std::string AccountMissingText();

// BindMethod simple over plain LDAP without AllowClearTextBind=1: refused before anything is
// sent.
std::string ClearTextBindRefusedText(const std::string& account);

// AllowClearTextBind=1 let a simple bind send the account's password to server unencrypted.
std::string ClearTextBindText(const std::string& account, const std::string& server);

// A Negotiate bind over plain LDAP, where NTLM is not allowed, refused before anything was sent:
// Kerberos cannot sign account in to the service (ldap/<host>) for reason.
std::string NtlmRefusedText(const std::string& account, const std::string& server,
                            const std::string& service, const std::string& reason);

// NtlmRefusedText's reason where the LDAP client library cannot be told to keep a Negotiate bind
// to Kerberos.
constexpr char kClientNotKeptToKerberos[] =
    "the LDAP client library cannot be told to keep the sign-in to Kerberos";

// A Negotiate bind kept to Kerberos over plain LDAP was refused (refusal: BindRefusedText's):
// a server that asks for NTLM, such as one answering in another's place, ends there.
std::string KerberosOnlyBindRefusedText(const std::string& refusal);

// AllowNtlm=1 lets the Negotiate bind of account to server use NTLM over plain LDAP.
std::string NtlmAllowedText(const std::string& account, const std::string& server);

// An account named without a password stored for it.
std::string PasswordMissingText(const std::string& account);

// The stored password cannot be decrypted here; where names the key, reason is the system's
// text for its error.
std::string PasswordUnreadableText(const std::string& where, const std::string& reason);

// The bind failed with code (an LDAP result code) and the library's text for it. method is
// the BindMethod value, account the name it signed in as (empty for an anonymous bind).
std::string BindRefusedText(unsigned long code, const std::string& reason,
                            const std::string& method, const std::string& account,
                            const std::string& server);

// Codes with which a server refuses a client that may not read (or not read unsigned).
bool IsReadRefusal(unsigned long code);

// The search was refused with code and the library's text for it; account as above. Where
// the code says that the client may not read, the text says what to change; else it is the
// library's text alone.
std::string SearchRefusedText(unsigned long code, const std::string& reason,
                              const std::string& account);

#endif
