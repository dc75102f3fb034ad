#include "viewer_mapping.h"

#include "system_error.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

const char kViewerMappingName[] = "VXTRACE_WINDOW_HANDLE";

namespace {

// Window handles are 32-bit values, widened with their sign as the platform does.
HWND WindowFromValue(std::uint32_t value) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

std::uint32_t ValueOfWindow(HWND window) {
    return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(window));
}

HWND LiveWindowIn(const void* view) {
    std::uint32_t value = 0;
    std::memcpy(&value, view, sizeof value);
    const HWND window = WindowFromValue(value);
    return value != 0 && IsWindow(window) ? window : nullptr;
}

std::string AnotherViewerText(HWND window) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "another trace viewer is already running (window 0x%08lX); the programs send "
                  "their lines to one viewer only",
                  static_cast<unsigned long>(ValueOfWindow(window)));
    return text;
}

} // namespace

HWND RunningViewerWindow() {
    KernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kViewerMappingName));
    if (!mapping.valid())
        return nullptr;
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    return view.get() ? LiveWindowIn(view.get()) : nullptr;
}

int PublishViewerWindow(HWND window, KernelHandle& mapping, std::string& error) {
    mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16,
                                     kViewerMappingName));
    if (!mapping.valid()) {
        const DWORD code = GetLastError();
        // A block made by another program without write access cannot be opened writable.
        const HWND other = RunningViewerWindow();
        error = other ? AnotherViewerText(other)
                      : std::string("cannot create the block ") + kViewerMappingName + ": " +
                            SystemErrorText(code);
        return 0;
    }
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    void* view = MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(std::uint32_t));
    if (!view) {
        error = std::string("cannot write the block ") + kViewerMappingName + ": " +
                SystemErrorText(GetLastError());
        mapping.reset(nullptr);
        return 0;
    }
    MappedView owner(view);
    if (existed) {
        const HWND other = LiveWindowIn(view);
        if (other) {
            error = AnotherViewerText(other);
            mapping.reset(nullptr);
            return 0;
        }
    }
    const std::uint32_t value = ValueOfWindow(window);
    std::memcpy(view, &value, sizeof value);
    return 1;
}
