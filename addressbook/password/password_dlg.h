// The dialog that asks for the bind password in a masked field, for TARNBOOK
// /setbindpassword when standard input is a console or absent.
#ifndef TARN_PASSWORD_DLG_H
#define TARN_PASSWORD_DLG_H

#include "secret_text.h"

#include <windows.h>

class CPasswordDlg {
  public:
    CPasswordDlg() = default;
    CPasswordDlg(const CPasswordDlg&) = delete;
    CPasswordDlg& operator=(const CPasswordDlg&) = delete;

    // Shows the dialog; true when the user confirmed it with OK. The password typed is then
    // in password; the field is cleared before the dialog closes.
    bool DoModal(SecretText& password);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnOK(HWND hwnd);

    SecretText* password_ = nullptr;
};

#endif
