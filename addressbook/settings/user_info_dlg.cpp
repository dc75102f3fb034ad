#include "user_info_dlg.h"

#include "resource_ids.h"

#include <utility>

CUserInfoDlg::CUserInfoDlg() : DialogBase(IDD_USER_INFO, nullptr) {}

void CUserInfoDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_SEARCH_BASE, m_strSearchBase);
    dx.Text(IDC_HOST_NAME, m_strHostName);
}

BOOL CUserInfoDlg::OnInitDialog() {
    const BOOL result = DialogBase::OnInitDialog();
    // Read-only, as Windows shows a setting that an administrator manages: the value can be
    // read and copied, not changed.
    const std::pair<int, bool> fields[] = {{IDC_SEARCH_BASE, m_bSearchBaseManaged},
                                           {IDC_HOST_NAME, m_bHostNameManaged}};
    for (const auto& field : fields) {
        if (field.second)
            SendDlgItemMessageA(GetSafeHwnd(), field.first, EM_SETREADONLY, TRUE, 0);
    }
    return result;
}
