#include "password_dlg.h"

#include "password_dlg_ids.h"

namespace {
// The longest password the field takes.
constexpr int kLongestPassword = 256;
} // namespace

bool CPasswordDlg::DoModal(SecretText& password) {
    password_ = &password;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BIND_PASSWORD), nullptr,
                           DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
}

void CPasswordDlg::OnOK(HWND hwnd) {
    char typed[kLongestPassword + 1] = "";
    const UINT length = GetDlgItemTextA(hwnd, IDC_BIND_PASSWORD, typed, sizeof typed);
    password_->Assign(typed, length);
    SecureZeroMemory(typed, sizeof typed);
    SetDlgItemTextA(hwnd, IDC_BIND_PASSWORD, "");
    EndDialog(hwnd, IDOK);
}

INT_PTR CALLBACK CPasswordDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        SendDlgItemMessageA(hwnd, IDC_BIND_PASSWORD, EM_LIMITTEXT, kLongestPassword, 0);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CPasswordDlg*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message != WM_COMMAND || !dialog)
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        dialog->OnOK(hwnd);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        SetDlgItemTextA(hwnd, IDC_BIND_PASSWORD, "");
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
