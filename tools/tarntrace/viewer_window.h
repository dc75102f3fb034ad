// The viewer's window: hidden, it receives the trace lines that the programs send with
// WM_COPYDATA, answers each as soon as it holds a copy, then hands it to the output. Closing it
// (WM_CLOSE) ends the viewer.
#ifndef TARN_VIEWER_WINDOW_H
#define TARN_VIEWER_WINDOW_H

#include "line_output.h"

#include <windows.h>

extern const char kViewerWindowClass[];

class ViewerWindow {
  public:
    ViewerWindow(LineOutput& output, bool onlyErrors) : output_(output), onlyErrors_(onlyErrors) {}
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    int Create(); // 1 when the window exists
    HWND Handle() const { return window_; }
    // Handles messages until the window is destroyed.
    void Run();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCopyData(const COPYDATASTRUCT& data);

    LineOutput& output_;
    bool onlyErrors_;
    HWND window_ = nullptr;
};

#endif
