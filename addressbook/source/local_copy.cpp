// The local copy's file: %LOCALAPPDATA%\VEXMAR\Voxtarion\TARNBOOK Published Book.dat, beside the
// run lock, with an explicit DACL that lets only this user (and no inherited entry) at it.
#include "local_copy.h"

#include "system_error.h"
#include "win_handles.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kCopyFileName[] = L"\\TARNBOOK Published Book.dat";
constexpr wchar_t kNewSuffix[] = L".new";
// A local copy beyond the longest snapshot a publication may hold is not one.
constexpr DWORD kMostCopyBytes = 512ul * 1024 * 1024 + 4096;

bool CopyPath(std::wstring& path, std::string& why) {
    wchar_t folder[MAX_PATH] = L"";
    const HRESULT found =
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder);
    if (FAILED(found)) {
        why = "the folder of the user's local application data is unknown (" +
              SystemErrorWords(static_cast<DWORD>(found)) + ")";
        return false;
    }
    path = std::wstring(folder) + L"\\VEXMAR";
    CreateDirectoryW(path.c_str(), nullptr);
    path += L"\\Voxtarion";
    CreateDirectoryW(path.c_str(), nullptr);
    path += kCopyFileName;
    return true;
}

// "D:P(A;;FA;;;<this user's SID>)": full access for the user alone, nothing inherited.
std::wstring OwnUserOnlySddl() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return L"";
    const KernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    wchar_t* sid = nullptr;
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid))
        return L"";
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    return sddl;
}

} // namespace

bool ReadLocalCopy(LocalCopy& copy, std::string& why) {
    std::wstring path;
    if (!CopyPath(path, why))
        return false;
    const KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            why = "it cannot be opened (" + SystemErrorWords(error) + ")";
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMostCopyBytes) {
        why = "it cannot be read or is too long";
        return false;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    while (done < text.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &text[done], static_cast<DWORD>(text.size()) - done, &got,
                      nullptr) ||
            got == 0) {
            why = "it cannot be read (" + SystemErrorWords(GetLastError()) + ")";
            return false;
        }
        done += got;
    }
    return ParseLocalCopy(text, copy, why);
}

bool ForgetLocalCopy(std::string& why) {
    std::wstring path;
    if (!CopyPath(path, why))
        return true; // no copy can have been kept where there is no place for it
    if (DeleteFileW(path.c_str()))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    why = "it cannot be removed (" + SystemErrorWords(error) + ")";
    return false;
}

bool WriteLocalCopy(const LocalCopy& copy, std::string& why) {
    std::wstring path;
    if (!CopyPath(path, why))
        return false;
    const std::wstring sddl = OwnUserOnlySddl();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (sddl.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                            sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        why = "no access list for this user alone could be made (" +
              SystemErrorWords(GetLastError()) + ")";
        return false;
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    const std::wstring fresh = path + kNewSuffix;
    const std::string text = LocalCopyText(copy);
    bool written = false;
    {
        const KernelHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, &security,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD put = 0;
        written =
            file.valid() &&
            WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
            put == text.size() && FlushFileBuffers(file.get());
        if (!written)
            why = "it cannot be written (" + SystemErrorWords(GetLastError()) + ")";
    }
    LocalFree(descriptor);
    // Swapped in whole: a run that breaks off leaves the old copy or the new one, never a part.
    if (written && !MoveFileExW(fresh.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        why = "it cannot replace the last one (" + SystemErrorWords(GetLastError()) + ")";
        written = false;
    }
    if (!written)
        DeleteFileW(fresh.c_str());
    return written;
}
