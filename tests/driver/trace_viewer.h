// The tests' own trace viewer: it publishes its window in the named file mapping
// "VXTRACE_WINDOW_HANDLE", as the trace viewer does, and records every line that a program
// sends it with WM_COPYDATA. Its window lives on a thread of its own that keeps pumping
// messages, so a program's synchronous send returns while the test waits.
#ifndef TARN_DRIVER_TRACE_VIEWER_H
#define TARN_DRIVER_TRACE_VIEWER_H

#include "handle.h"
#include "timing.h"

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace driver {

constexpr const char* kViewerMappingName = "VXTRACE_WINDOW_HANDLE";

// One WM_COPYDATA message as the viewer received it.
struct TraceLine {
    ULONG_PTR colour; // dwData: the colour, 0x00BBGGRR
    DWORD byteCount;  // cbData: the text's length plus its terminator
    std::string text; // lpData up to its terminator, or all cbData bytes if it has none
};

// The named mapping alone, holding any window handle value: with the handle of a window that
// has gone, it stands for a viewer that ended without removing its mapping.
class ViewerMapping {
  public:
    explicit ViewerMapping(std::uint32_t windowHandle);
    ViewerMapping(const ViewerMapping&) = delete;
    ViewerMapping& operator=(const ViewerMapping&) = delete;
    explicit operator bool() const { return static_cast<bool>(mapping_); }

  private:
    Handle mapping_;
};

// A viewer that has stopped answering: its window lives on a thread of its own that handles
// no message at all until the object is destroyed. With publish, its handle is written into
// the named mapping (created, or taken over from a viewer already published).
class StalledViewer {
  public:
    explicit StalledViewer(bool publish = true);
    ~StalledViewer(); // lets the thread go on; it destroys the window and ends
    StalledViewer(const StalledViewer&) = delete;
    StalledViewer& operator=(const StalledViewer&) = delete;
    HWND Window() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }

  private:
    Handle release_;
    HWND window_ = nullptr;
    std::thread thread_;
    std::optional<ViewerMapping> mapping_;
};

class TraceViewer {
  public:
    TraceViewer();  // the window is up and the mapping published when this returns
    ~TraceViewer(); // removes the mapping, then ends the window's thread
    TraceViewer(const TraceViewer&) = delete;
    TraceViewer& operator=(const TraceViewer&) = delete;

    HWND Window() const { return window_; }
    explicit operator bool() const { return window_ != nullptr && mapping_ && *mapping_; }

    std::vector<TraceLine> Lines() const; // a copy of the lines received so far
    std::vector<std::string> Texts() const;
    void Clear();

    // Waits for a line that matches; the first such line, or std::nullopt after timeoutMs.
    std::optional<TraceLine> WaitForLine(const std::function<bool(const TraceLine&)>& matches,
                                         DWORD timeoutMs = kWindowTimeoutMs) const;
    // Waits for a line whose text contains `part`.
    std::optional<TraceLine> WaitForText(const std::string& part,
                                         DWORD timeoutMs = kWindowTimeoutMs) const;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(); // the window's thread
    void Receive(const COPYDATASTRUCT& data);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<TraceLine> lines_;
    HWND window_ = nullptr;
    bool started_ = false;
    std::thread thread_;
    std::optional<ViewerMapping> mapping_;
};

} // namespace driver

#endif
