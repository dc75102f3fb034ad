#include "dialog_base.h"

#include "resource_text.h"

#include <vector>

namespace {
void CentreRect(RECT& rect, const RECT& over, const RECT& area) {
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left = over.left + ((over.right - over.left) - width) / 2;
    LONG top = over.top + ((over.bottom - over.top) - height) / 2;
    if (left + width > area.right)
        left = area.right - width;
    if (top + height > area.bottom)
        top = area.bottom - height;
    if (left < area.left)
        left = area.left;
    if (top < area.top)
        top = area.top;
    rect = {left, top, left + width, top + height};
}
} // namespace

void DataExchange::Text(int itemId, std::string& value) {
    const HWND item = GetDlgItem(dialog_, itemId);
    if (!saving_) {
        ::SetWindowTextA(item, value.c_str());
        return;
    }
    const int length = GetWindowTextLengthA(item);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
    const int read = GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
    value.assign(buffer.data(), read > 0 ? read : 0);
}

void DataExchange::RadioGroup(int firstId, int& index) {
    HWND button = GetDlgItem(dialog_, firstId);
    if (!saving_)
        CheckDlgButton(dialog_, firstId, BST_UNCHECKED);
    int position = 0;
    if (saving_)
        index = -1;
    // The group runs from its first button up to the next item that starts a group.
    while (button) {
        if (saving_) {
            if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                index = position;
                return;
            }
        } else {
            SendMessageA(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        button = GetWindow(button, GW_HWNDNEXT);
        if (!button || (GetWindowLongA(button, GWL_STYLE) & WS_GROUP))
            break;
        ++position;
    }
}

DialogBase::DialogBase(UINT templateId, HWND owner) : templateId_(templateId), owner_(owner) {}

DialogBase::~DialogBase() {
    DestroyWindow();
}

INT_PTR DialogBase::DoModal() {
    modal_ = true;
    const INT_PTR result = DialogBoxParamA(GetResourceModule(), MAKEINTRESOURCEA(templateId_),
                                           owner_, DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

bool DialogBase::CreateModeless() {
    modal_ = false;
    CreateDialogParamA(GetResourceModule(), MAKEINTRESOURCEA(templateId_), owner_, DialogProc,
                       reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void DialogBase::DestroyWindow() {
    if (hwnd_ && !modal_) {
        const HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(hwnd);
    }
}

void DialogBase::UpdateData(bool saving) {
    if (!hwnd_)
        return;
    DataExchange exchange(hwnd_, saving);
    DoDataExchange(exchange);
}

void DialogBase::SetWindowText(const std::string& text) {
    if (hwnd_)
        ::SetWindowTextA(hwnd_, text.c_str());
}

void DialogBase::ShowWindow(int command) {
    if (hwnd_)
        ::ShowWindow(hwnd_, command);
}

void DialogBase::CenterWindow(HWND alternate) {
    if (!hwnd_)
        return;
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    HWND over = alternate;
    if (!over) {
        const HWND owner = GetWindow(hwnd_, GW_OWNER);
        if (owner && IsWindowVisible(owner) && !IsIconic(owner))
            over = owner;
    }
    RECT overRect = area;
    if (over)
        GetWindowRect(over, &overRect);
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    CentreRect(rect, overRect, area);
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogBase::CenterOnDesktop() {
    if (!hwnd_)
        return;
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    CentreRect(rect, screen, screen);
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogBase::RepaintNow() {
    if (hwnd_)
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

BOOL DialogBase::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void DialogBase::OnOK() {
    if (!modal_)
        return;
    UpdateData(true);
    EndDialog(hwnd_, IDOK);
}

void DialogBase::OnCancel() {
    // A modeless window's close request is left alone: the operation that shows it decides
    // when it goes.
    if (modal_)
        EndDialog(hwnd_, IDCANCEL);
}

BOOL DialogBase::OnMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<DialogBase*>(lParam);
        dialog->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        if (dialog->hwnd_ == hwnd)
            dialog->hwnd_ = nullptr;
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR DialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    default:
        return OnMessage(message, wParam, lParam);
    }
}
