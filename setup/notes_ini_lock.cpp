#include "notes_ini_lock.h"

#include "message_pump.h"

#include <sddl.h>

#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

// The full path the profile functions use: a name without a folder lies in the Windows folder.
std::wstring FullIniPath(const char* iniPath) {
    std::string path = iniPath;
    if (path.find_first_of("\\/:") == std::string::npos) {
        char windows[MAX_PATH] = "";
        const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            path = std::string(windows) + "\\" + path;
    }
    char full[MAX_PATH * 4] = "";
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full)
        path = full;
    const int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], size);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

} // namespace

std::string NotesIniLockName(const char* iniPath) {
    std::wstring path = FullIniPath(iniPath);
    if (!path.empty())
        CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    // A mutex name holds no backslash and is short: the path's FNV-1a hash names it. Two paths
    // that share a hash only wait for each other.
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : path) {
        for (int byte = 0; byte < 2; ++byte) {
            hash ^= static_cast<std::uint8_t>(c >> (8 * byte));
            hash *= 1099511628211ull;
        }
    }
    char name[64];
    std::snprintf(name, sizeof name, "Global\\TARNSETUP notes.ini %016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}

NotesIniLock::~NotesIniLock() {
    if (held_)
        ReleaseMutex(mutex_.get());
}

NotesIniLock::Outcome NotesIniLock::Acquire(const char* iniPath, DWORD milliseconds) {
    // Every user may wait for the lock and release it once held: the runs of an administrator
    // and of a user both edit a shared notes.ini.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100001;;;WD)",
                                                             SDDL_REVISION_1, &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    const std::string name = NotesIniLockName(iniPath);
    mutex_.reset(CreateMutexA(&attributes, FALSE, name.c_str()));
    if (!mutex_.valid())
        mutex_.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    if (descriptor)
        LocalFree(descriptor);
    if (!mutex_.valid())
        return Outcome::Unusable;
    // A run that ended while it held the lock left it abandoned: it is this run's now.
    const DWORD waited = WaitAnswering(mutex_.get(), milliseconds);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (held_)
        return Outcome::Held;
    return waited == WAIT_TIMEOUT ? Outcome::Busy : Outcome::Unusable;
}
