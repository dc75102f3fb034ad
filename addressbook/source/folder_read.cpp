#include "folder_read.h"

#include "answering_call.h"
#include "system_error.h"
#include "unicode_text.h"
#include "win_handles.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

struct FileRead {
    bool read = false;
    std::string bytes;
    std::string why;
};

// Runs on the reading thread; owns everything it touches.
FileRead ReadWhole(const std::wstring& path, unsigned long most) {
    FileRead result;
    const KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        result.why = "cannot be opened (" + SystemErrorWords(GetLastError()) + ")";
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        result.why = "cannot be read (" + SystemErrorWords(GetLastError()) + ")";
        return result;
    }
    if (size.QuadPart > static_cast<LONGLONG>(most)) {
        result.why = "is longer than " + std::to_string(most) + " bytes";
        return result;
    }
    result.bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < result.bytes.size()) {
        DWORD got = 0;
        const DWORD ask =
            static_cast<DWORD>(std::min<size_t>(result.bytes.size() - done, 1u << 20));
        if (!ReadFile(file.get(), &result.bytes[done], ask, &got, nullptr)) {
            result.why = "cannot be read (" + SystemErrorWords(GetLastError()) + ")";
            return result;
        }
        if (got == 0)
            break; // shorter than its size said: what is missing fails the SHA-256
        done += got;
    }
    result.bytes.resize(done);
    result.read = true;
    return result;
}

} // namespace

bool ReadFolderFile(const std::string& folder, const std::string& name, unsigned seconds,
                    unsigned long most, std::string& bytes, std::string& why) {
    std::wstring path;
    WideFromUtf8(folder + (folder.back() == '\\' ? "" : "\\") + name, path);
    FileRead result;
    result.why = "did not answer within " + std::to_string(seconds) + " seconds";
    std::function<FileRead()> step = [path, most] { return ReadWhole(path, most); };
    CallAnsweringFor<FileRead>(std::move(step), seconds, result);
    if (!result.read) {
        why = name + " " + result.why;
        return false;
    }
    bytes = std::move(result.bytes);
    return true;
}
