// The progress bar of the download's progress window.
#ifndef TARN_PROGRESS_BAR_H
#define TARN_PROGRESS_BAR_H

#include <windows.h>

// A progress bar item of a dialog. Every change is on screen when the call returns, drawn
// at once also on a themed bar, and the bar answers every query with its exact position;
// a step that changes no pixel of the bar costs no message to the control and no paint.
class ProgressBar {
  public:
    ProgressBar() = default;
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Attach(HWND item);
    void SetRange(int lower, int upper);
    int SetStep(int step);
    int StepIt();

  private:
    static LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT TakeOver(UINT message, WPARAM wParam, LPARAM lParam);
    void ReadState();
    void Show(int position);
    void PaintNow();

    HWND hwnd_ = nullptr;
    WNDPROC controlProc_ = nullptr; // the control's own window procedure, called after ours
    bool sending_ = false;          // a message of ours is on its way to the control
    int lower_ = 0;
    int upper_ = 0;
    int step_ = 0;
    // The exact position. The control's own value may lag behind it by steps that change no
    // pixel; it is brought up to it whenever the drawing changes.
    int position_ = 0;
    int fillWidth_ = 0; // pixels of filling when full; 0 when not known
    bool themed_ = false;
};

#endif
