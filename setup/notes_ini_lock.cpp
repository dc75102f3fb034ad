#include "notes_ini_lock.h"

#include "message_pump.h"

#include <string>

namespace {

// The locked byte lies at 2^62, where no notes.ini ever reaches: a lock past the end of a file
// is allowed, and no read or write of the file's text ever meets it.
constexpr DWORD kLockedByteHigh = 0x40000000;

// How often a run waiting for the lock tries again.
constexpr DWORD kRetryMs = 50;

// The path the profile functions use: a name without a folder lies in the Windows folder.
std::string ProfileFilePath(const char* iniPath) {
    const std::string path = iniPath;
    if (path.find_first_of("\\/:") != std::string::npos)
        return path;
    char windows[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return path;
    return std::string(windows) + "\\" + path;
}

bool LockByte(HANDLE file) {
    OVERLAPPED at = {};
    at.OffsetHigh = kLockedByteHigh;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) !=
           FALSE;
}

} // namespace

NotesIniLock::Outcome NotesIniLock::Acquire(const char* iniPath, DWORD milliseconds) {
    Release();
    // Read access is all a lock needs; sharing everything keeps every other reader and writer
    // of the file (the profile functions, Notes, the bridge) working as before. A file that
    // cannot be opened so (a folder in its place, one held open without sharing, a missing
    // folder) gets no lock: the edit then fails and reports itself.
    file_.reset(CreateFileA(ProfileFilePath(iniPath).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.valid())
        return Outcome::Unusable;
    // Nothing signals a released byte range: the run tries again now and then, answering
    // its windows' messages in between, until the wait is over.
    const KernelHandle pause(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const DWORD start = GetTickCount();
    for (;;) {
        if (LockByte(file_.get())) {
            held_ = true;
            return Outcome::Held;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION)
            break; // a file system without byte-range locks
        const DWORD passed = GetTickCount() - start;
        if (passed >= milliseconds) {
            file_.reset(INVALID_HANDLE_VALUE);
            return Outcome::Busy;
        }
        const DWORD pauseMs = milliseconds - passed < kRetryMs ? milliseconds - passed : kRetryMs;
        if (pause.valid())
            WaitAnswering(pause.get(), pauseMs);
        else
            Sleep(pauseMs);
    }
    file_.reset(INVALID_HANDLE_VALUE);
    return Outcome::Unusable;
}

void NotesIniLock::Release() {
    // Unlocked at once rather than whenever Windows gets to it after the handle is closed.
    if (held_) {
        OVERLAPPED at = {};
        at.OffsetHigh = kLockedByteHigh;
        UnlockFileEx(file_.get(), 0, 1, 0, &at);
        held_ = false;
    }
    file_.reset(INVALID_HANDLE_VALUE);
}
