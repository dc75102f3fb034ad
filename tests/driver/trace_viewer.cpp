#include "trace_viewer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace driver {

namespace {

constexpr const char* kWindowClass = "TarnTestTraceViewer";

void RegisterViewerClass(WNDPROC procedure) {
    static std::once_flag registered;
    std::call_once(registered, [procedure] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
    });
}

} // namespace

ViewerMapping::ViewerMapping(std::uint32_t windowHandle)
    : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16,
                                  kViewerMappingName)) {
    if (!mapping_) {
        ADD_FAILURE() << "could not create the mapping " << kViewerMappingName << ": error "
                      << GetLastError();
        return;
    }
    void* view = MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, sizeof windowHandle);
    if (!view) {
        ADD_FAILURE() << "could not map " << kViewerMappingName << ": error " << GetLastError();
        mapping_.Reset();
        return;
    }
    CopyMemory(view, &windowHandle, sizeof windowHandle);
    UnmapViewOfFile(view);
}

StalledViewer::StalledViewer(bool publish) : release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    Handle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!release_ || !ready) {
        ADD_FAILURE() << "could not create the stalled viewer's events";
        return;
    }
    const HANDLE readyEvent = ready.Get();
    thread_ = std::thread([this, readyEvent] {
        const HWND window = CreateWindowA("STATIC", "stalled viewer", 0, 0, 0, 1, 1, nullptr,
                                          nullptr, nullptr, nullptr);
        window_ = window;
        SetEvent(readyEvent);
        WaitForSingleObject(release_.Get(), INFINITE);
        if (window)
            DestroyWindow(window);
    });
    WaitForSingleObject(readyEvent, INFINITE);
    if (!window_) {
        ADD_FAILURE() << "the stalled viewer's window could not be created";
        return;
    }
    if (publish)
        mapping_.emplace(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(window_)));
}

StalledViewer::~StalledViewer() {
    mapping_.reset();
    if (release_)
        SetEvent(release_.Get());
    if (thread_.joinable())
        thread_.join();
}

TraceViewer::TraceViewer() {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
    if (!window_) {
        ADD_FAILURE() << "the trace viewer's window could not be created";
        return;
    }
    // Window handles are 32-bit values, also in 64-bit processes.
    mapping_.emplace(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(window_)));
}

TraceViewer::~TraceViewer() {
    mapping_.reset();
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable())
        thread_.join();
}

void TraceViewer::Run() {
    RegisterViewerClass(WindowProc);
    const HWND window =
        CreateWindowExA(0, kWindowClass, "Tarn test trace viewer", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                        100, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
        started_ = true;
    }
    changed_.notify_all();
    if (!window)
        return;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT CALLBACK TraceViewer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* viewer = reinterpret_cast<TraceViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        if (viewer && lParam)
            viewer->Receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void TraceViewer::Receive(const COPYDATASTRUCT& data) {
    TraceLine line{data.dwData, data.cbData, std::string()};
    if (data.lpData && data.cbData > 0) {
        const char* bytes = static_cast<const char*>(data.lpData);
        size_t length = 0;
        while (length < data.cbData && bytes[length] != '\0')
            ++length;
        line.text.assign(bytes, length);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(std::move(line));
    }
    changed_.notify_all();
}

std::vector<TraceLine> TraceViewer::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::vector<std::string> TraceViewer::Texts() const {
    std::vector<std::string> texts;
    for (const TraceLine& line : Lines())
        texts.push_back(line.text);
    return texts;
}

void TraceViewer::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

std::optional<TraceLine>
TraceViewer::WaitForLine(const std::function<bool(const TraceLine&)>& matches,
                         DWORD timeoutMs) const {
    std::optional<TraceLine> found;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const TraceLine& line : lines_) {
            if (matches(line)) {
                found = line;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::optional<TraceLine> TraceViewer::WaitForText(const std::string& part, DWORD timeoutMs) const {
    return WaitForLine(
        [&part](const TraceLine& line) { return line.text.find(part) != std::string::npos; },
        timeoutMs);
}

} // namespace driver
