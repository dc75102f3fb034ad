// A trace viewer for the benchmark: publishes its window in the "VXTRACE_WINDOW_HANDLE"
// mapping, answers every copy-data line and counts them. Writes "ready" to standard output
// once it listens; runs until it is ended.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

long g_lines = 0;

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        ++g_lines;
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarnBenchViewer";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              4096, "VXTRACE_WINDOW_HANDLE");
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (!window || !view) {
        std::fprintf(stderr, "viewer: no window or mapping\n");
        return 1;
    }
    const std::uint32_t handle =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    std::memcpy(view, &handle, sizeof handle);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
