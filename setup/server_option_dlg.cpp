#include "server_option_dlg.h"

#include "resource_ids.h"

CServerOptionDlg::CServerOptionDlg() : DialogBase(IDD_SERVER_OPTION, nullptr) {}

void CServerOptionDlg::DoDataExchange(DataExchange& dx) {
    dx.RadioGroup(IDC_OPTION_FIRST, m_nOption);
}

BOOL CServerOptionDlg::OnInitDialog() {
    DialogBase::OnInitDialog();
    CenterOnDesktop();
    return TRUE;
}
