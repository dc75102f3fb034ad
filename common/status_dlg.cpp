#include "status_dlg.h"

#include "resource_ids.h"
#include "resource_text.h"

HWND NotesMainWindow() {
    return FindWindowA("NOTES", nullptr);
}

CStatusDlg::CStatusDlg(UINT textId, HWND owner, Placement placement)
    : DialogBase(IDD_STATUS, placement == Placement::Desktop ? nullptr : owner),
      m_placement(placement) {
    m_strStatus = LoadResourceText(textId);
    CreateModeless();
    RepaintNow();
}

CStatusDlg::~CStatusDlg() {
    DestroyWindow();
}

void CStatusDlg::SetStatusText(const std::string& text) {
    m_strStatus = text;
    UpdateData(false);
    RepaintNow();
}

void CStatusDlg::SetStatusText(UINT textId) {
    SetStatusText(LoadResourceText(textId));
}

void CStatusDlg::DoDataExchange(DataExchange& dx) {
    if (!dx.Saving())
        dx.Text(IDC_STATUS_TEXT, m_strStatus);
}

BOOL CStatusDlg::OnInitDialog() {
    DialogBase::OnInitDialog();
    if (m_placement == Placement::Desktop) {
        CenterOnDesktop();
        ShowWindow(SW_SHOW);
    } else {
        CenterWindow();
    }
    RepaintNow();
    return TRUE;
}

BOOL CStatusDlg::OnMessage(UINT message, WPARAM, LPARAM) {
    // The download program fills its item again whenever the platform asks for a paint.
    if (message != WM_PAINT || m_placement != Placement::OverOwner)
        return FALSE;
    PAINTSTRUCT paint;
    BeginPaint(GetSafeHwnd(), &paint);
    const std::string text = m_strStatus;
    SetDlgItemTextA(GetSafeHwnd(), IDC_STATUS_TEXT, text.c_str());
    UpdateWindow(GetDlgItem(GetSafeHwnd(), IDC_STATUS_TEXT));
    EndPaint(GetSafeHwnd(), &paint);
    return TRUE;
}
