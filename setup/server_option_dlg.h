// The option dialog of the server install: two radio buttons, the first preselected.
#ifndef TARN_SERVER_OPTION_DLG_H
#define TARN_SERVER_OPTION_DLG_H

#include "dialog_base.h"

class CServerOptionDlg : public DialogBase {
  public:
    CServerOptionDlg();

    // The checked button's index after OK: 0 for the first, 1 for the second, -1 for none.
    int m_nOption = 0;

  protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
};

#endif
