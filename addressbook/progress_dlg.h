// The progress window of the download: a text and a bar that steps once per entry.
#ifndef TARN_PROGRESS_DLG_H
#define TARN_PROGRESS_DLG_H

#include "dialog_base.h"

#include <string>

// A static text item of a dialog.
class StaticText {
  public:
    void Attach(HWND item) { hwnd_ = item; }
    void SetText(const std::string& text);

  private:
    HWND hwnd_ = nullptr;
};

// A progress bar item of a dialog; every change is on screen when the call returns, and a
// step that changes no pixel of the bar is not painted.
class ProgressBar {
  public:
    void Attach(HWND item);
    void SetRange(int lower, int upper);
    int SetStep(int step);
    int StepIt();

  private:
    void MeasureFilling();
    void DrawAtOnce(int position);
    void PaintNow();
    HWND hwnd_ = nullptr;
    int lower_ = 0;
    int upper_ = 0;
    int fillWidth_ = 0; // pixels of filling when full; 0 when not known
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
