// The LDAP session the download opens, seen through this test program's imports of the LDAP
// client: every option call, the connection and the bind are recorded and passed on to the
// library, against the test bed's directory server. Wine's client would behave the same
// without most of these options; Windows' own would not.
#include "certificate/certificate_notices.h"
#include "connection/connection_notices.h"
#include "download_notices.h"
#include "download_session.h"
#include "import_redirect.h"
#include "password/password_store.h"
#include "product_keys.h"
#include "tarnbook_app.h"
#include "temp_folder.h"
#include "test_registry.h"

#include <rpc.h>
#include <wincrypt.h>
#define SECURITY_WIN32
#include <sspi.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct LdapCall {
    std::string name;
    int option = 0;
    ULONG_PTR value = 0; // an on/off option's LDAP_OPT_ON or LDAP_OPT_OFF, else the value
};

std::vector<LdapCall> g_calls;
std::vector<std::string> g_boxes;
int g_refusedOption = -1;
ULONG g_refusal = LDAP_SUCCESS;
void* g_setOption = nullptr;
void* g_connect = nullptr;
void* g_bind = nullptr;

// A Negotiate bind as the download made it; the real one is never made (Wine's client crashes
// on one without credentials, and on an identity with a package list).
struct NegotiateBind {
    bool made = false;
    bool namePassed = false;
    ULONG method = 0;
    bool credentials = false;
    bool packageListed = false; // the identity is the one with a package list
    std::string user, domain, password;
    std::string saslMethod; // the SASL mechanism the session was told before it connected
    unsigned long flags = 0;
    ULONG result = LDAP_SUCCESS; // what the played server answers
};
NegotiateBind g_negotiate;

std::string IdentityText(const unsigned char* bytes, unsigned long length) {
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
}

ULONG __cdecl RecordSyncBind(LDAP*, PCHAR name, PCHAR credentials, ULONG method) {
    g_calls.push_back({"ldap_bind_sA"});
    g_negotiate.made = true;
    g_negotiate.namePassed = name != nullptr;
    g_negotiate.method = method;
    g_negotiate.credentials = credentials != nullptr;
    if (!credentials)
        return LDAP_SUCCESS;
    // The identity with a package list starts with its version, the plain one with a pointer.
    const auto* listed = reinterpret_cast<const SEC_WINNT_AUTH_IDENTITY_EXA*>(credentials);
    g_negotiate.packageListed = listed->Version == SEC_WINNT_AUTH_IDENTITY_VERSION &&
                                listed->Length == sizeof(SEC_WINNT_AUTH_IDENTITY_EXA);
    if (g_negotiate.packageListed)
        return LDAP_PARAM_ERROR;
    const auto* identity = reinterpret_cast<const SEC_WINNT_AUTH_IDENTITY_A*>(credentials);
    g_negotiate.user = IdentityText(identity->User, identity->UserLength);
    g_negotiate.domain = IdentityText(identity->Domain, identity->DomainLength);
    g_negotiate.password = IdentityText(identity->Password, identity->PasswordLength);
    g_negotiate.flags = identity->Flags;
    return g_negotiate.result;
}

// The Kerberos package as a domain member's: it gives a first token for any service, and keeps
// who asked for which.
struct KerberosAsked {
    std::string package;
    std::string user;    // "" for the logged-on user
    std::string service; // the target of the first token
    int open = 0;        // handles and contexts not yet released
};
KerberosAsked g_kerberos;

SECURITY_STATUS SEC_ENTRY PlayAcquireCredentials(SEC_CHAR*, SEC_CHAR* package, ULONG, void*,
                                                 void* identity, SEC_GET_KEY_FN, void*,
                                                 PCredHandle handle, PTimeStamp) {
    g_kerberos.package = package ? package : "";
    const auto* given = static_cast<const SEC_WINNT_AUTH_IDENTITY_A*>(identity);
    g_kerberos.user = given ? IdentityText(given->User, given->UserLength) : "";
    handle->dwLower = handle->dwUpper = 0x7a7a;
    ++g_kerberos.open;
    return SEC_E_OK;
}

SECURITY_STATUS SEC_ENTRY PlayInitializeContext(PCredHandle, PCtxtHandle, SEC_CHAR* target, ULONG,
                                                ULONG, ULONG, PSecBufferDesc, ULONG,
                                                PCtxtHandle context, PSecBufferDesc output, PULONG,
                                                PTimeStamp) {
    g_kerberos.service = target ? target : "";
    context->dwLower = context->dwUpper = 0x7b7b;
    output->pBuffers[0].cbBuffer = 1;
    ++g_kerberos.open;
    return SEC_I_CONTINUE_NEEDED;
}

SECURITY_STATUS SEC_ENTRY PlayFreeCredentials(PCredHandle) {
    --g_kerberos.open;
    return SEC_E_OK;
}

SECURITY_STATUS SEC_ENTRY PlayDeleteContext(PCtxtHandle) {
    --g_kerberos.open;
    return SEC_E_OK;
}

// The certificate callback, where a test plays a client that takes one, as Windows' does.
using CertificateCallback = BOOLEAN(__cdecl*)(LDAP*, PCCERT_CONTEXT*);
bool g_takeCertificateCallback = false;
CertificateCallback g_certificateCallback = nullptr;
std::string g_serverCertificate; // what the played handshake shows, DER
int g_callbackAnswer = -1;       // what the callback answered; -1: never called

// The handshake as Windows' client makes it: the callback gets a context it frees. False when
// the callback refused the certificate, which ends the handshake.
bool PlayHandshake(LDAP* session) {
    PCCERT_CONTEXT shown = CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(g_serverCertificate.data()),
        static_cast<DWORD>(g_serverCertificate.size()));
    g_callbackAnswer = g_certificateCallback(session, &shown) ? 1 : 0;
    return g_callbackAnswer == 1;
}
bool g_startTls = false; // the played handshake comes with StartTLS, not with the connection

ULONG __cdecl RecordSetOption(LDAP* session, int option, const void* value) {
    if (option == LDAP_OPT_SERVER_CERTIFICATE && g_takeCertificateCallback) {
        g_certificateCallback = reinterpret_cast<CertificateCallback>(const_cast<void*>(value));
        return LDAP_SUCCESS;
    }
    const bool onOff = value == LDAP_OPT_ON || value == LDAP_OPT_OFF;
    g_calls.push_back(
        {"ldap_set_option", option,
         onOff ? reinterpret_cast<ULONG_PTR>(value) : *static_cast<const ULONG*>(value)});
    if (option == g_refusedOption)
        return g_refusal;
    return reinterpret_cast<decltype(&RecordSetOption)>(g_setOption)(session, option, value);
}

// The SASL mechanism of a Negotiate bind, as Windows' client takes it; a client without the
// option (Wine's) when g_saslMethodRefused.
bool g_saslMethodRefused = false;
ULONG __cdecl RecordSetOptionW(LDAP*, int option, const void* value) {
    g_calls.push_back({"ldap_set_optionW", option});
    if (option != LDAP_OPT_SASL_METHOD || g_saslMethodRefused)
        return LDAP_NOT_SUPPORTED;
    const std::wstring method = *static_cast<const PWCHAR*>(value);
    g_negotiate.saslMethod.assign(method.begin(), method.end());
    return LDAP_SUCCESS;
}

ULONG __cdecl RecordConnect(LDAP* session, l_timeval* bound) {
    g_calls.push_back({"ldap_connect"});
    // The played TLS session goes on as a plain one to the test bed's server.
    if (!g_startTls && g_certificateCallback && !g_serverCertificate.empty() &&
        !PlayHandshake(session))
        return LDAP_SERVER_DOWN;
    return reinterpret_cast<decltype(&RecordConnect)>(g_connect)(session, bound);
}

ULONG __cdecl RecordStartTls(LDAP* session, PULONG serverCode, LDAPMessage**, PLDAPControlA*,
                             PLDAPControlA*) {
    g_calls.push_back({"ldap_start_tls_sA"});
    *serverCode = LDAP_SUCCESS;
    if (g_certificateCallback && !g_serverCertificate.empty() && !PlayHandshake(session))
        return LDAP_SERVER_DOWN;
    return LDAP_SUCCESS;
}

ULONG __cdecl RecordBind(LDAP* session, PCHAR name, PCHAR password) {
    g_calls.push_back({"ldap_simple_bindA"});
    return reinterpret_cast<decltype(&RecordBind)>(g_bind)(session, name, password);
}

// The search is recorded and fails as on a broken connection: no test here writes records.
ULONG __cdecl RecordSearch(LDAP*, PWCHAR, ULONG, PWCHAR, PWCHAR[], ULONG, PLDAPControlW*,
                           PLDAPControlW*, ULONG, ULONG, ULONG* message) {
    g_calls.push_back({"ldap_search_extW"});
    *message = 0;
    return LDAP_SERVER_DOWN;
}

// A TLS session is played by a plain one to the test bed's server; the port asked is kept.
ULONG g_tlsPortAsked = 0;
LDAP* __cdecl RecordTlsSession(PCHAR host, ULONG port, int) {
    g_tlsPortAsked = port;
    return ldap_initA(host, static_cast<ULONG>(TestbedServers::Get().Port("directory")));
}

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
    g_boxes.push_back(text);
    return IDOK;
}

// A certificate of the test bed's TLS folder ("server.crt", "selfsigned.crt") as DER.
std::string TestbedCertificate(const char* name) {
    const std::string pem = driver::ReadTextFile(TestbedTlsFile(name));
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr))
        return std::string();
    std::string der(size, '\0');
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER,
                         reinterpret_cast<BYTE*>(&der[0]), &size, nullptr, nullptr);
    return der;
}

class DirectorySession : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        g_boxes.clear();
        g_refusedOption = -1;
        g_saslMethodRefused = false;
        g_negotiate = NegotiateBind();
        g_kerberos = KerberosAsked();
        g_takeCertificateCallback = false;
        g_certificateCallback = nullptr;
        g_callbackAnswer = -1;
        g_serverCertificate.clear();
        g_startTls = false;
        ResetProductRegistry();
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", "127.0.0.1");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber",
                          std::to_string(TestbedServers::Get().Port("directory")));
        app_.GetUserInfo(HKEY_CURRENT_USER);
        g_setOption = setOption_.Original();
        g_connect = connect_.Original();
        g_bind = bind_.Original();
        ASSERT_NE(g_setOption, nullptr) << "the download does not import ldap_set_option";
        ASSERT_NE(g_connect, nullptr);
        ASSERT_NE(g_bind, nullptr);
    }
    void TearDown() override { ResetProductRegistry(); }

    // From the connection on: each time limit set, the binds and the search.
    static std::string TimeLimitsAroundTheBind() {
        std::string record;
        for (size_t i = Position("ldap_connect"); i < g_calls.size(); ++i) {
            const LdapCall& call = g_calls[i];
            if (call.name == "ldap_set_option" && call.option == LDAP_OPT_TIMELIMIT)
                record += "time limit " + std::to_string(call.value) + ", ";
            else if (call.name != "ldap_set_option")
                record += call.name + ", ";
        }
        return record;
    }

    // Where the call stands in the record; the record's end when it was not made.
    static size_t Position(const std::string& name, int option = 0) {
        return std::find_if(g_calls.begin(), g_calls.end(),
                            [&](const LdapCall& call) {
                                return call.name == name && call.option == option;
                            }) -
               g_calls.begin();
    }

    ImportRedirect setOption_{"wldap32.dll", "ldap_set_option",
                              reinterpret_cast<void*>(&RecordSetOption)};
    ImportRedirect setOptionW_{"wldap32.dll", "ldap_set_optionW",
                               reinterpret_cast<void*>(&RecordSetOptionW)};
    ImportRedirect connect_{"wldap32.dll", "ldap_connect", reinterpret_cast<void*>(&RecordConnect)};
    ImportRedirect bind_{"wldap32.dll", "ldap_simple_bindA", reinterpret_cast<void*>(&RecordBind)};
    ImportRedirect box_{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordBox)};
    ImportRedirect syncBind_{"wldap32.dll", "ldap_bind_sA",
                             reinterpret_cast<void*>(&RecordSyncBind)};
    ImportRedirect search_{"wldap32.dll", "ldap_search_extW",
                           reinterpret_cast<void*>(&RecordSearch)};
    ImportRedirect tlsSession_{"wldap32.dll", "ldap_sslinitA",
                               reinterpret_cast<void*>(&RecordTlsSession)};
    ImportRedirect startTls_{"wldap32.dll", "ldap_start_tls_sA",
                             reinterpret_cast<void*>(&RecordStartTls)};
    ImportRedirect acquire_{"secur32.dll", "AcquireCredentialsHandleA",
                            reinterpret_cast<void*>(&PlayAcquireCredentials)};
    ImportRedirect initialize_{"secur32.dll", "InitializeSecurityContextA",
                               reinterpret_cast<void*>(&PlayInitializeContext)};
    ImportRedirect freeCredentials_{"secur32.dll", "FreeCredentialsHandle",
                                    reinterpret_cast<void*>(&PlayFreeCredentials)};
    ImportRedirect deleteContext_{"secur32.dll", "DeleteSecurityContext",
                                  reinterpret_cast<void*>(&PlayDeleteContext)};
    CTarnbookApp app_;
};

TEST_F(DirectorySession, EveryOptionTheDownloadReliesOnIsSetBeforeItConnects) {
    ASSERT_EQ(app_.DoLDAPConnect(), 1) << ::testing::PrintToString(g_boxes);
    const size_t connect = Position("ldap_connect");
    ASSERT_LT(connect, g_calls.size()) << "never connected";
    EXPECT_LT(connect, Position("ldap_simple_bindA"));
    const struct {
        const char* what;
        int option;
        ULONG_PTR value;
    } expected[] = {
        {"protocol version 3", LDAP_OPT_PROTOCOL_VERSION, LDAP_VERSION3},
        {"no referral chasing", LDAP_OPT_REFERRALS, 0},
        {"no automatic reconnection", LDAP_OPT_AUTO_RECONNECT, 0},
        {"no size limit", LDAP_OPT_SIZELIMIT, 0},
        {"no time limit", LDAP_OPT_TIMELIMIT, 0},
    };
    for (const auto& option : expected) {
        const size_t at = Position("ldap_set_option", option.option);
        ASSERT_LT(at, connect) << option.what << ": not set before connecting";
        EXPECT_EQ(g_calls[at].value, option.value) << option.what;
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(DirectorySession, AnOptionTheLibraryRefusesEndsTheDownloadBeforeItConnects) {
    const struct {
        int option;
        ULONG refusal;
        const char* name; // nullptr: the refusal is accepted
    } cases[] = {
        {LDAP_OPT_PROTOCOL_VERSION, LDAP_PARAM_ERROR, "protocol version 3"},
        {LDAP_OPT_REFERRALS, LDAP_NOT_SUPPORTED, "no referral chasing"},
        {LDAP_OPT_AUTO_RECONNECT, LDAP_LOCAL_ERROR, "no automatic reconnection"},
        // A library that does not reconnect by itself may not know the option at all.
        {LDAP_OPT_AUTO_RECONNECT, LDAP_NOT_SUPPORTED, nullptr},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name ? test.name : "reconnection unknown");
        g_calls.clear();
        g_boxes.clear();
        g_refusedOption = test.option;
        g_refusal = test.refusal;
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        EXPECT_EQ(app.DoLDAPConnect(), test.name ? 0 : 1);
        if (!test.name) {
            EXPECT_TRUE(g_boxes.empty()) << ::testing::PrintToString(g_boxes);
            continue;
        }
        EXPECT_EQ(Position("ldap_connect"), g_calls.size()) << "connected all the same";
        EXPECT_EQ(g_boxes, std::vector<std::string>{
                               SessionOptionRefusedText(test.name, LdapText(test.refusal))});
    }
}

// Over plain LDAP the bind is kept to Kerberos, once Kerberos gave a first token for the
// server's service: the session is told, before it connects, to sign in by GSSAPI; AllowNtlm=1
// and TLS leave the choice to Negotiate. The identity is always the plain one (or none).
TEST_F(DirectorySession, NegotiateSignsInAsTheLoggedOnUserOrTheAccountAskingForSigningAndSealing) {
    SecretText secret;
    secret.Assign("Account-Pass-1", 14);
    std::vector<BYTE> blob;
    ASSERT_EQ(ProtectPassword(secret, false, blob), 0u);
    const struct {
        const char* what;
        const char* user;
        const char* domain;
        const char* allowNtlm;
        bool credentials;
        const char* boundUser;
        const char* boundDomain;
        const char* saslMethod; // nullptr: none set
        bool startTls = false;
    } cases[] = {
        {"the logged-on user", "", "", "", false, "", "", "GSSAPI"},
        {"an account and its domain", "reader", "TARN", "", true, "reader", "TARN", "GSSAPI"},
        {"DOMAIN\\user", "TARN\\reader", "", "0", true, "reader", "TARN", "GSSAPI"},
        {"the logged-on user, AllowNtlm 1", "", "", "1", false, "", "", nullptr},
        {"an account, AllowNtlm 1", "reader", "TARN", "1", true, "reader", "TARN", nullptr},
        {"an account over StartTLS", "reader", "TARN", "", true, "reader", "TARN", nullptr, true},
    };
    const TrustedAuthority trusted;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        // StartTLS as Windows' client makes it: the certificate shown to the callback.
        g_takeCertificateCallback = test.startTls;
        g_startTls = test.startTls;
        g_certificateCallback = nullptr;
        g_serverCertificate = test.startTls ? TestbedCertificate("server.crt") : "";
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security",
                          test.startTls ? "starttls" : "");
        g_calls.clear();
        g_boxes.clear();
        g_negotiate = NegotiateBind();
        g_kerberos = KerberosAsked();
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindMethod", "negotiate");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindUser", test.user);
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindDomain", test.domain);
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowNtlm", test.allowNtlm);
        SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindPassword", REG_BINARY,
                         std::string(blob.begin(), blob.end()));
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        ASSERT_EQ(app.DoLDAPConnect(), 1) << ::testing::PrintToString(g_boxes);

        ASSERT_TRUE(g_negotiate.made);
        EXPECT_EQ(g_negotiate.method, static_cast<ULONG>(LDAP_AUTH_NEGOTIATE));
        EXPECT_FALSE(g_negotiate.namePassed);
        EXPECT_EQ(g_negotiate.credentials, test.credentials);
        EXPECT_FALSE(g_negotiate.packageListed) << "an identity Wine's client cannot read";
        EXPECT_EQ(g_negotiate.saslMethod, test.saslMethod ? test.saslMethod : "");
        if (test.saslMethod) {
            EXPECT_LT(Position("ldap_set_optionW", LDAP_OPT_SASL_METHOD), Position("ldap_connect"));
        }
        if (test.credentials) {
            EXPECT_EQ(g_negotiate.user, test.boundUser);
            EXPECT_EQ(g_negotiate.domain, test.boundDomain);
            EXPECT_EQ(g_negotiate.password, *test.boundUser ? "Account-Pass-1" : "");
            EXPECT_EQ(g_negotiate.flags, static_cast<unsigned long>(SEC_WINNT_AUTH_IDENTITY_ANSI));
        }
        // Kerberos was asked first, for the same account and the server's service, and let go.
        if (test.saslMethod) {
            EXPECT_EQ(g_kerberos.package, "Kerberos");
            EXPECT_EQ(g_kerberos.user, test.boundUser);
            EXPECT_EQ(g_kerberos.service, "ldap/127.0.0.1");
            EXPECT_EQ(g_kerberos.open, 0) << "a handle or context of the check was kept";
        } else {
            EXPECT_EQ(g_kerberos.package, "") << "Kerberos asked where NTLM is allowed";
        }
        const size_t bind = Position("ldap_bind_sA");
        EXPECT_LT(Position("ldap_connect"), bind);
        // Signing and sealing over plain LDAP only: over TLS Active Directory refuses them.
        for (int option : {LDAP_OPT_SIGN, LDAP_OPT_ENCRYPT}) {
            const size_t at = Position("ldap_set_option", option);
            if (test.startTls) {
                EXPECT_EQ(at, g_calls.size()) << "option " << option << " set over TLS";
                continue;
            }
            ASSERT_LT(at, bind) << "option " << option << " not set before the bind";
            EXPECT_EQ(g_calls[at].value, reinterpret_cast<ULONG_PTR>(LDAP_OPT_ON));
        }
        EXPECT_EQ(Position("ldap_simple_bindA"), g_calls.size()) << "a simple bind was made";

        // Bounded like the simple bind, and the search left without a time limit.
        EXPECT_EQ(app.DoDownloadAdddressBook(), 0);
        EXPECT_EQ(TimeLimitsAroundTheBind(),
                  "ldap_connect, " + std::string(test.startTls ? "ldap_start_tls_sA, " : "") +
                      "time limit " + std::to_string(kServerAnswerSeconds) +
                      ", ldap_bind_sA, time limit 0, ldap_search_extW, ");
    }
}

TEST_F(DirectorySession, ARefusedKerberosOnlyBindNamesBothFixesAndOneThatMayUseNtlmDoesNot) {
    SecretText secret;
    secret.Assign("Account-Pass-1", 14);
    std::vector<BYTE> blob;
    ASSERT_EQ(ProtectPassword(secret, false, blob), 0u);
    // A server answering in another's place: Kerberos gives a ticket for the name, but the
    // server cannot take it.
    for (const char* allowNtlm : {"", "1"}) {
        SCOPED_TRACE(std::string("AllowNtlm ") + allowNtlm);
        g_boxes.clear();
        g_negotiate = NegotiateBind();
        g_negotiate.result = LDAP_INVALID_CREDENTIALS;
        g_kerberos = KerberosAsked();
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindMethod", "negotiate");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindUser", "reader");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindDomain", "TARN");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowNtlm", allowNtlm);
        SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindPassword", REG_BINARY,
                         std::string(blob.begin(), blob.end()));
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        EXPECT_EQ(app.DoLDAPConnect(), 0);
        ASSERT_TRUE(g_negotiate.made);
        ASSERT_EQ(g_boxes.size(), 1u) << ::testing::PrintToString(g_boxes);
        const bool named = g_boxes[0].find("kept to Kerberos") != std::string::npos &&
                           g_boxes[0].find("AllowNtlm to 1") != std::string::npos &&
                           g_boxes[0].find("Security to ldaps or starttls") != std::string::npos;
        EXPECT_EQ(named, *allowNtlm == '\0') << g_boxes[0];
        EXPECT_NE(g_boxes[0].find("TARN\\reader"), std::string::npos) << g_boxes[0];
    }
}

// A client that cannot be told to keep the bind to Kerberos is not even asked to connect.
TEST_F(DirectorySession, AClientThatCannotBeKeptToKerberosSendsNothing) {
    g_saslMethodRefused = true;
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindMethod", "negotiate");
    CTarnbookApp app;
    app.GetUserInfo(HKEY_CURRENT_USER);
    EXPECT_EQ(app.DoLDAPConnect(), 0);
    EXPECT_EQ(g_kerberos.package, "Kerberos");
    EXPECT_EQ(Position("ldap_connect"), g_calls.size()) << "connected all the same";
    EXPECT_FALSE(g_negotiate.made);
    EXPECT_EQ(g_boxes, std::vector<std::string>{NtlmRefusedText(
                           "the logged-on user", "127.0.0.1:" + std::to_string(app.PortNumber()),
                           "ldap/127.0.0.1", kClientNotKeptToKerberos)});
}

TEST_F(DirectorySession, LdapsWithoutAStoredPortIsNamedWithPort636) {
    ResetProductRegistry();
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", "127.0.0.1");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", "ldaps");
    g_takeCertificateCallback = true; // the library checks the certificate, as Windows' does
    const TrustedAuthority trusted;
    g_serverCertificate = TestbedCertificate("server.crt");
    CTarnbookApp app;
    app.GetUserInfo(HKEY_CURRENT_USER);
    ASSERT_EQ(app.DoLDAPConnect(), 1) << ::testing::PrintToString(g_boxes);
    EXPECT_EQ(g_tlsPortAsked, 636u);

    EXPECT_EQ(app.DoDownloadAdddressBook(), 0);
    EXPECT_EQ(g_boxes, std::vector<std::string>{
                           ConnectionLostText("127.0.0.1", 636, LdapText(LDAP_SERVER_DOWN))});
}

TEST_F(DirectorySession, AClientThatShowsTheCertificateHasItCheckedInTheCallback) {
    // Trusted for the whole test: a process's chain engine need not see a later change.
    const TrustedAuthority trusted;
    const struct {
        const char* what;
        const char* certificate;
        const char* host;
        int answer;         // what the callback must answer
        std::string reason; // the refusal shown; "" when the certificate is taken
    } cases[] = {
        {"no authority", "selfsigned.crt", "127.0.0.1", 0,
         "it was not issued by an authority that this computer trusts"},
        {"another host", "server.crt", "localhost", 0,
         "it was issued for another host than localhost"},
        {"trusted and for this host", "server.crt", "127.0.0.1", 1, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        g_calls.clear();
        g_boxes.clear();
        g_takeCertificateCallback = true;
        g_certificateCallback = nullptr;
        g_callbackAnswer = -1;
        g_serverCertificate = TestbedCertificate(test.certificate);
        ASSERT_FALSE(g_serverCertificate.empty()) << "no " << test.certificate;
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", test.host);
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", "ldaps");
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        const int port = app.PortNumber();
        app.DoLDAPConnect();

        ASSERT_NE(g_certificateCallback, nullptr) << "no callback set";
        EXPECT_EQ(g_callbackAnswer, test.answer);
        // A refused certificate is named and no bind starts; a taken one is bound over.
        const std::string server = std::string(test.host) + ":" + std::to_string(port);
        EXPECT_EQ(g_boxes, test.reason.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{
                                                     CertificateRefusedText(server, test.reason)});
        EXPECT_EQ(Position("ldap_simple_bindA") < g_calls.size(), test.answer == 1);
    }
}

TEST_F(DirectorySession, NoBindStartsOverTlsBeforeTheCertificateWasCheckedAndTaken) {
    const TrustedAuthority trusted;
    const struct {
        const char* what;
        const char* security;
        const char* certificate; // what the played handshake shows; nullptr: the callback
                                 // is taken but never called
        bool binds;
        std::string reason; // for a refused certificate
    } cases[] = {
        {"LDAPS, never checked", "ldaps", nullptr, false, ""},
        {"StartTLS, never checked", "starttls", nullptr, false, ""},
        {"StartTLS, not trusted", "starttls", "selfsigned.crt", false,
         "it was not issued by an authority that this computer trusts"},
        {"StartTLS, trusted", "starttls", "server.crt", true, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        g_calls.clear();
        g_boxes.clear();
        g_takeCertificateCallback = true;
        g_certificateCallback = nullptr;
        g_startTls = std::string(test.security) == "starttls";
        g_serverCertificate = test.certificate ? TestbedCertificate(test.certificate) : "";
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", test.security);
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        const std::string server = "127.0.0.1:" + std::to_string(app.PortNumber());
        EXPECT_EQ(app.DoLDAPConnect(), test.binds ? 1 : 0);
        EXPECT_EQ(Position("ldap_simple_bindA") < g_calls.size(), test.binds)
            << "a bind was or was not made";
        std::vector<std::string> boxes;
        if (!test.certificate)
            boxes.push_back(CertificateNotCheckedText(server));
        else if (!test.binds)
            boxes.push_back(CertificateRefusedText(server, test.reason));
        EXPECT_EQ(g_boxes, boxes);
    }
}

} // namespace
