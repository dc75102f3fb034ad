// The dialog base: a dialog window built from a template of the resource library, modal
// or modeless, with data exchange between members and items and centring.
#ifndef TARN_DIALOG_BASE_H
#define TARN_DIALOG_BASE_H

#include <windows.h>

#include <string>

// Moves values between a dialog's members and its items, in one direction per pass.
class DataExchange {
  public:
    DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
    bool Saving() const { return saving_; }
    void Text(int itemId, std::string& value);
    // The index of the checked button of the radio group that begins at firstId
    // (-1 when none is checked).
    void RadioGroup(int firstId, int& index);

  private:
    HWND dialog_;
    bool saving_;
};

class DialogBase {
  public:
    DialogBase(UINT templateId, HWND owner);
    virtual ~DialogBase();
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Runs the dialog modally: IDOK, IDCANCEL, or -1 when it could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless; false when the template could not be loaded.
    bool CreateModeless();
    void DestroyWindow();
    HWND GetSafeHwnd() const { return hwnd_; }

    // Moves members into items (false) or items into members (true).
    void UpdateData(bool saving);
    void SetWindowText(const std::string& text);
    void ShowWindow(int command);
    // Centres over alternate, else over the owner when it is visible and not minimised,
    // else over the work area; the window is kept inside the work area.
    void CenterWindow(HWND alternate = nullptr);
    // Centres on the whole screen.
    void CenterOnDesktop();
    // Paints the window and its items now, without waiting for a paint request.
    void RepaintNow();

  protected:
    virtual void DoDataExchange(DataExchange&) {}
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Messages other than initialisation and commands; return TRUE when handled.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsModal() const { return modal_; }

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

#endif
