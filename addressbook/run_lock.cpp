#include "run_lock.h"

#include "refresh/refresh_rule.h"
#include "system_error.h"

#include <shlobj.h>

namespace {

// The file is a line of a few dozen bytes; anything longer is not one.
constexpr DWORD kHolderTextSize = 128;

// When this process started, as a FILETIME counts.
std::uint64_t ProcessStart() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        GetSystemTimeAsFileTime(&created);
    return static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

} // namespace

RunLock::Outcome RunLock::Take(std::string& why) {
    wchar_t folder[MAX_PATH] = L"";
    const HRESULT found =
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder);
    if (FAILED(found)) {
        why = "the folder of the user's local application data is unknown (" +
              SystemErrorWords(static_cast<DWORD>(found)) + ")";
        return Outcome::Unusable;
    }
    // Below the user's local application data, which stays on this computer; the product's
    // folders may not be there yet.
    std::wstring path = std::wstring(folder) + L"\\VEXMAR";
    CreateDirectoryW(path.c_str(), nullptr);
    path += L"\\Voxtarion";
    CreateDirectoryW(path.c_str(), nullptr);
    path_ = path + L"\\TARNBOOK.lock";
    // Shared for reading only: a second run that would hold it gets a sharing violation until
    // this handle closes, and may read who holds it meanwhile.
    file_.reset(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                            nullptr));
    if (file_.valid()) {
        own_.pid = GetCurrentProcessId();
        own_.start = ProcessStart();
        SetBound(LockBoundSeconds(kMostRefreshDelay));
        return Outcome::Held;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return Outcome::Busy;
    why = "the lock file cannot be opened (" + SystemErrorWords(error) + ")";
    return Outcome::Unusable;
}

void RunLock::SetBound(unsigned long seconds) {
    if (!file_.valid())
        return;
    own_.boundSeconds = seconds;
    written_ = GetTickCount();
    // A holder whose file cannot be written looks like one at work: nothing is lost.
    const std::string text = LockHolderText(own_);
    DWORD written = 0;
    if (SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN) == 0 &&
        WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        SetEndOfFile(file_.get());
}

void RunLock::StillAtWork() {
    constexpr DWORD kRewriteIntervalMs = 60000;
    if (!file_.valid() || GetTickCount() - written_ < kRewriteIntervalMs)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long bound =
        BoundAtWork(own_, static_cast<std::uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
    if (bound != own_.boundSeconds)
        SetBound(bound);
}

bool RunLock::ReadHolder(LockHolder& holder) const {
    // Shared with everything, so that the holder goes on writing and ending undisturbed.
    const KernelHandle file(CreateFileW(path_.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char text[kHolderTextSize] = "";
    DWORD read = 0;
    if (!file.valid() || !ReadFile(file.get(), text, sizeof text - 1, &read, nullptr))
        return false;
    return ParseLockHolder(std::string(text, read), holder);
}
