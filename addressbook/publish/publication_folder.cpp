#include "publication_folder.h"

#include "manifest.h"
#include "system_error.h"
#include "unicode_text.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr char kNewSuffix[] = ".new";
// A desktop reading the manifest keeps it from being replaced for the moment of its read.
constexpr int kMoveAttempts = 40;
constexpr DWORD kMoveRetryMs = 250;

std::wstring PathOf(const std::string& folder, const std::string& name) {
    std::wstring path;
    WideFromUtf8(folder + (folder.back() == '\\' ? "" : "\\") + name, path);
    return path;
}

bool Failed(std::string& why, const std::string& what) {
    why = what + " (" + SystemErrorWords(GetLastError()) + ")";
    return false;
}

// A file this publisher writes or has written: a publication's file, the manifest, or one of
// them under its new name.
bool IsOwnFile(const std::string& name) {
    std::string plain = name;
    const std::string suffix = kNewSuffix;
    if (plain.size() > suffix.size() &&
        plain.compare(plain.size() - suffix.size(), suffix.size(), suffix) == 0)
        plain.resize(plain.size() - suffix.size());
    return plain == kManifestFileName || IsPublicationFileName(plain);
}

// Moves fresh into target's place; where a reader holds target open, tries again for up to ten
// seconds. The last error is the move's.
bool MoveIntoPlace(const std::wstring& fresh, const std::wstring& target) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(fresh.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            attempt == kMoveAttempts)
            return false;
        Sleep(kMoveRetryMs);
    }
}

} // namespace

bool WritePublicationFile(const std::string& folder, const std::string& name,
                          const std::string& bytes, std::string& why) {
    const std::wstring target = PathOf(folder, name);
    const std::wstring fresh = PathOf(folder, name + kNewSuffix);
    {
        const KernelHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return Failed(why, name + kNewSuffix + " cannot be created");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD ask =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD wrote = 0;
            if (!WriteFile(file.get(), bytes.data() + done, ask, &wrote, nullptr) || wrote == 0)
                return Failed(why, name + kNewSuffix + " cannot be written");
            done += wrote;
        }
        if (!FlushFileBuffers(file.get()))
            return Failed(why, name + kNewSuffix + " cannot be flushed to the disk");
    }
    if (!MoveIntoPlace(fresh, target))
        return Failed(why, name + kNewSuffix + " cannot take the place of " + name);
    return true;
}

std::vector<std::string> RemoveUnnamedFiles(const std::string& folder,
                                            const std::vector<std::string>& keep) {
    std::vector<std::string> removed;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(PathOf(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return removed;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string name = Utf8FromWide(found.cFileName, wcslen(found.cFileName));
        if (!IsOwnFile(name) || std::find(keep.begin(), keep.end(), name) != keep.end())
            continue;
        if (DeleteFileW(PathOf(folder, name).c_str()))
            removed.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

PublicationLock::Outcome PublicationLock::Take(const std::string& folder, std::string& why) {
    file_.reset(CreateFileW(PathOf(folder, kPublishLockName).c_str(), GENERIC_READ | GENERIC_WRITE,
                            0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_.valid())
        return Outcome::Held;
    const DWORD error = GetLastError();
    why = SystemErrorWords(error);
    return error == ERROR_SHARING_VIOLATION ? Outcome::Busy : Outcome::Failed;
}
