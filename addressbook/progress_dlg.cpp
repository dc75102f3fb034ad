#include "progress_dlg.h"

#include "resource_ids.h"

#include <commctrl.h>

void StaticText::SetText(const std::string& text) {
    if (hwnd_)
        SetWindowTextA(hwnd_, text.c_str());
}

void ProgressBar::SetRange(int lower, int upper) {
    if (!hwnd_)
        return;
    SendMessageA(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    PaintNow();
}

int ProgressBar::SetStep(int step) {
    if (!hwnd_)
        return 0;
    return static_cast<int>(SendMessageA(hwnd_, PBM_SETSTEP, static_cast<WPARAM>(step), 0));
}

int ProgressBar::StepIt() {
    if (!hwnd_)
        return 0;
    const int previous = static_cast<int>(SendMessageA(hwnd_, PBM_STEPIT, 0, 0));
    PaintNow();
    return previous;
}

void ProgressBar::PaintNow() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

CProgressDlg::CProgressDlg(HWND owner) : DialogBase(IDD_PROGRESS, owner) {
    CreateModeless();
}

CProgressDlg::~CProgressDlg() {
    DestroyWindow();
}

void CProgressDlg::SetText(const std::string& text) {
    m_staticText.SetText(text);
    RepaintNow();
}

void CProgressDlg::SetRange(int lower, int upper) {
    m_progressBar.SetRange(lower, upper);
}

int CProgressDlg::SetStep(int step) {
    return m_progressBar.SetStep(step);
}

int CProgressDlg::StepIt() {
    return m_progressBar.StepIt();
}

BOOL CProgressDlg::OnInitDialog() {
    DialogBase::OnInitDialog();
    m_staticText.Attach(GetDlgItem(GetSafeHwnd(), IDC_PROGRESS_TEXT));
    m_progressBar.Attach(GetDlgItem(GetSafeHwnd(), IDC_PROGRESS_BAR));
    CenterWindow();
    return TRUE;
}
