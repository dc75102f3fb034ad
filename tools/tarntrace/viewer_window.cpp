#include "viewer_window.h"

#include "viewer_line.h"

const char kViewerWindowClass[] = "TarnTraceViewer";

ViewerWindow::~ViewerWindow() {
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
}

int ViewerWindow::Create() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kViewerWindowClass;
    if (!RegisterClassA(&windowClass))
        return 0;
    window_ = CreateWindowExA(0, kViewerWindowClass, "TARNTRACE", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                              nullptr, nullptr, windowClass.hInstance, this);
    return window_ != nullptr;
}

void ViewerWindow::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    window_ = nullptr;
}

LRESULT CALLBACK ViewerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* viewer = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        if (viewer && lParam)
            viewer->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ViewerWindow::OnCopyData(const COPYDATASTRUCT& data) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const auto colour = static_cast<std::uint32_t>(data.dwData);
    const LineClass lineClass = ClassifyTraceColour(colour);
    // The line is copied, and the program that sent it let go on, before it is written: a
    // console held by a selection, or a slow file or pipe, must not hold the program up. The
    // record is only valid until the reply.
    const std::string text = RecordText(static_cast<const char*>(data.lpData), data.cbData);
    ReplyMessage(TRUE);
    if (onlyErrors_ && lineClass != LineClass::Error)
        return;
    output_.Write(lineClass, FormatViewerLine(now.wHour, now.wMinute, now.wSecond,
                                              now.wMilliseconds, lineClass, text));
}
