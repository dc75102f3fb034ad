// The settings dialog: the user confirms or edits host name and search base.
#ifndef TARN_USER_INFO_DLG_H
#define TARN_USER_INFO_DLG_H

#include "dialog_base.h"

#include <string>

class CUserInfoDlg : public DialogBase {
  public:
    CUserInfoDlg();

    std::string m_strSearchBase;
    std::string m_strHostName;
    // A field whose value a policy sets is shown and cannot be edited.
    bool m_bSearchBaseManaged = false;
    bool m_bHostNameManaged = false;

  protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
};

#endif
