#include "progress_dlg.h"

#include "resource_ids.h"

void StaticText::SetText(const std::string& text) {
    if (hwnd_)
        SetWindowTextA(hwnd_, text.c_str());
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
