// The one owner of a kernel handle (process, thread, file mapping): closed when it goes.
#ifndef TARN_DRIVER_HANDLE_H
#define TARN_DRIVER_HANDLE_H

#include <windows.h>

#include <utility>

namespace driver {

class Handle {
  public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = nullptr) {
        if (*this)
            CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

} // namespace driver

#endif
