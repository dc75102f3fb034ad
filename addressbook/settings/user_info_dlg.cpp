#include "user_info_dlg.h"

#include "resource_ids.h"

CUserInfoDlg::CUserInfoDlg() : DialogBase(IDD_USER_INFO, nullptr) {}

void CUserInfoDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_SEARCH_BASE, m_strSearchBase);
    dx.Text(IDC_HOST_NAME, m_strHostName);
}
