#include "kerberos_check.h"

#define SECURITY_WIN32
#include <rpc.h>
#include <security.h>

#include <cstdio>
#include <vector>

namespace {

char kKerberos[] = "Kerberos";

// The status as the system words it, with its number.
std::string StatusText(SECURITY_STATUS status) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(status));
    char text[512] = "";
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(status), 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        --length;
    return length == 0 ? std::string("error ") + number
                       : std::string(text, length) + " (" + number + ")";
}

// A credentials handle of the package, released on every path.
class Credentials {
  public:
    Credentials() = default;
    ~Credentials() {
        if (acquired_)
            FreeCredentialsHandle(&handle_);
    }
    Credentials(const Credentials&) = delete;
    Credentials& operator=(const Credentials&) = delete;
    SECURITY_STATUS Acquire(void* identity) {
        TimeStamp expiry;
        const SECURITY_STATUS status =
            AcquireCredentialsHandleA(nullptr, kKerberos, SECPKG_CRED_OUTBOUND, nullptr, identity,
                                      nullptr, nullptr, &handle_, &expiry);
        acquired_ = status == SEC_E_OK;
        return status;
    }
    CredHandle* get() { return &handle_; }

  private:
    CredHandle handle_ = {};
    bool acquired_ = false;
};

// The largest token the package makes; 0 where it does not say.
unsigned long LargestToken() {
    PSecPkgInfoA info = nullptr;
    if (QuerySecurityPackageInfoA(kKerberos, &info) != SEC_E_OK || !info)
        return 0;
    const unsigned long largest = info->cbMaxToken;
    FreeContextBuffer(info);
    return largest;
}

} // namespace

std::string DirectoryService(const std::string& host) {
    return "ldap/" + host;
}

std::string KerberosUnavailable(const std::string& host, BindRequest& request) {
    SEC_WINNT_AUTH_IDENTITY_A identity = {};
    NegotiateAccount account;
    void* given = nullptr;
    if (FillNegotiateIdentity(identity, request, account)) {
        identity.Flags = SEC_WINNT_AUTH_IDENTITY_ANSI;
        given = &identity;
    }
    Credentials credentials;
    SECURITY_STATUS status = credentials.Acquire(given);
    SecureZeroMemory(&identity, sizeof identity);
    if (status != SEC_E_OK)
        return StatusText(status);

    // The token goes into a buffer of ours: not every package allocates one itself.
    std::vector<char> bytes(LargestToken() > 0 ? LargestToken() : 65536);
    SecBuffer token = {static_cast<unsigned long>(bytes.size()), SECBUFFER_TOKEN, bytes.data()};
    SecBufferDesc output = {SECBUFFER_VERSION, 1, &token};
    std::string service = DirectoryService(host);
    CtxtHandle context = {};
    ULONG attributes = 0;
    TimeStamp expiry;
    status = InitializeSecurityContextA(credentials.get(), nullptr, &service[0],
                                        ISC_REQ_MUTUAL_AUTH, 0, SECURITY_NATIVE_DREP, nullptr, 0,
                                        &context, &output, &attributes, &expiry);
    if (status < 0)
        return StatusText(status);
    DeleteSecurityContext(&context);
    return std::string();
}
