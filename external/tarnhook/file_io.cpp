#include "file_io.h"

#include <windows.h>

namespace tarnhook {

namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

FileHandle OpenFile(const std::string& path, DWORD access, DWORD disposition) {
    return FileHandle(CreateFileA(path.c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteText(const FileHandle& file, const std::string& text) {
    DWORD written = 0;
    const bool ok =
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    FlushFileBuffers(file.get());
    return ok;
}

} // namespace

bool AppendToFile(const std::string& path, const std::string& text,
                  const std::string& headerWhenEmpty) {
    // Append access alone makes every write land at the end, even with other writers.
    FileHandle file = OpenFile(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, OPEN_ALWAYS);
    if (!file.valid())
        return false;
    LARGE_INTEGER size = {};
    if (!headerWhenEmpty.empty() && GetFileSizeEx(file.get(), &size) && size.QuadPart == 0)
        return WriteText(file, headerWhenEmpty + text);
    return WriteText(file, text);
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    FileHandle file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    return file.valid() && WriteText(file, text);
}

} // namespace tarnhook
