#include "window_snapshot.h"

#include <windows.h>
#include <commctrl.h>

namespace tarnhook {

namespace {

std::string ClassNameOf(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    const int length = GetWindowTextA(hwnd, &text[0], static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

std::uintptr_t HandleValue(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

ControlRecord RecordControl(HWND control) {
    ControlRecord record;
    record.id = GetDlgCtrlID(control);
    record.className = ClassNameOf(control);
    record.text = TextOf(control);
    if (lstrcmpiA(record.className.c_str(), PROGRESS_CLASSA) == 0) {
        PBRANGE range = {};
        SendMessageA(control, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        record.isProgressBar = true;
        record.position = static_cast<int>(SendMessageA(control, PBM_GETPOS, 0, 0));
        record.low = range.iLow;
        record.high = range.iHigh;
    }
    return record;
}

BOOL CALLBACK CollectControl(HWND control, LPARAM param) {
    reinterpret_cast<std::vector<ControlRecord>*>(param)->push_back(RecordControl(control));
    return TRUE;
}

WindowRecord RecordWindow(HWND hwnd) {
    WindowRecord record;
    record.handle = HandleValue(hwnd);
    record.owner = HandleValue(GetWindow(hwnd, GW_OWNER));
    record.className = ClassNameOf(hwnd);
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    record.left = rect.left;
    record.top = rect.top;
    record.right = rect.right;
    record.bottom = rect.bottom;
    record.title = TextOf(hwnd);
    EnumChildWindows(hwnd, CollectControl, reinterpret_cast<LPARAM>(&record.controls));
    return record;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == GetCurrentProcessId() && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<WindowRecord>*>(param)->push_back(RecordWindow(hwnd));
    return TRUE;
}

} // namespace

std::vector<WindowRecord> SnapshotVisibleWindows() {
    std::vector<WindowRecord> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace tarnhook
