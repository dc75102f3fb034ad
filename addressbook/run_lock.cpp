#include "run_lock.h"

#include "system_error.h"

#include <shlobj.h>

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
    path += L"\\TARNBOOK.lock";
    // Shared with nobody: a second opener gets a sharing violation until this handle closes.
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file_.valid())
        return Outcome::Held;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return Outcome::Busy;
    why = "the lock file cannot be opened (" + SystemErrorWords(error) + ")";
    return Outcome::Unusable;
}
