// Owners of Win32 handles: each releases its handle on every path out of a scope.
#ifndef TARN_WIN_HANDLES_H
#define TARN_WIN_HANDLES_H

#include <windows.h>

class RegKey {
  public:
    explicit RegKey(HKEY key = nullptr) : key_(key) {}
    ~RegKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void reset() {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

  private:
    HKEY key_;
};

// A kernel handle whose invalid value is INVALID_HANDLE_VALUE (files) or null (mappings).
class KernelHandle {
  public:
    explicit KernelHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~KernelHandle() {
        if (valid())
            CloseHandle(handle_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle) {
        if (valid())
            CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

class MappedView {
  public:
    explicit MappedView(const void* view) : view_(view) {}
    ~MappedView() {
        if (view_)
            UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    const void* get() const { return view_; }

  private:
    const void* view_;
};

#endif
