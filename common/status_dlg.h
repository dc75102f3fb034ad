// The status window: one line of text shown while a blocking operation runs on the
// program's one thread. Every change of its text is painted at once.
#ifndef TARN_STATUS_DLG_H
#define TARN_STATUS_DLG_H

#include "dialog_base.h"

#include <string>

// The Lotus Notes main window (class "NOTES"), which owns the download's status windows;
// null when Notes is not running.
HWND NotesMainWindow();

class CStatusDlg : public DialogBase {
  public:
    // How each program builds its status window.
    enum class Placement {
        OverOwner, // the download program: owned, centred over a visible owner or the work area
        Desktop,   // the setup program: never owned, centred on the screen and shown explicitly
    };

    // Loads text textId and creates the window at once, visible and painted.
    CStatusDlg(UINT textId, HWND owner, Placement placement);
    ~CStatusDlg() override;

    void SetStatusText(const std::string& text);
    void SetStatusText(UINT textId);

  protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    std::string m_strStatus;
    Placement m_placement;
};

#endif
