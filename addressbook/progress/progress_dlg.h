// The progress window of the download: a text and a bar that steps once per entry.
#ifndef TARN_PROGRESS_DLG_H
#define TARN_PROGRESS_DLG_H

#include "dialog_base.h"
#include "progress_bar.h"

#include <string>

// A static text item of a dialog.
class StaticText {
  public:
    void Attach(HWND item) { hwnd_ = item; }
    void SetText(const std::string& text);

  private:
    HWND hwnd_ = nullptr;
};

class CProgressDlg : public DialogBase {
  public:
    explicit CProgressDlg(HWND owner);
    ~CProgressDlg() override;

    void SetText(const std::string& text);
    // 32-bit bounds, so that a directory of more than 65,535 entries shows true progress.
    void SetRange(int lower, int upper);
    int SetStep(int step);
    int StepIt();

  protected:
    BOOL OnInitDialog() override;

  private:
    StaticText m_staticText;
    ProgressBar m_progressBar;
};

#endif
