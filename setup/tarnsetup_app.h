// The Notes integration setup program: installs the product's components into Lotus Notes,
// removes them, or installs them into Notes databases, as its command line says.
#ifndef TARN_TARNSETUP_APP_H
#define TARN_TARNSETUP_APP_H

#include "app_base.h"
#include "exit_status.h"
#include "path_text.h"

#include <windows.h>

#include <functional>
#include <string>

class CTarnsetupApp : public ApplicationBase {
  public:
    CTarnsetupApp();

    // Under the lock of the notes.ini at iniPath: runs bridgeCall (the bridge's install or
    // uninstall), then registers or removes the two extension libraries in the file as its
    // result says. What could not be written is shown once the lock is released.
    void ChangeComponents(const char* iniPath, const std::function<int()>& bridgeCall);

    void DoInstall(const char* iniPath, int installFlag);
    void DoUninstall(const char* iniPath);
    void DoServerInstall(int flag);

  protected:
    bool InitInstance() override;
    int ExitInstance() override;
    // The run's one event in the Application log, from how it ended.
    void ReportRunOutcome() const;

  private:
    // Registers or removes the two extension libraries in notes.ini as mode says; returns the
    // report of what could not be written ("" when everything was).
    static std::string UpdateNotesIni(const char* iniPath, int mode);
    // Asks the user to close the window titled text 31 while one is open. False on Cancel.
    bool WaitForBlockingWindow(const std::string& caption);
    // Loads nnotes.dll from the notes.ini Directory value (unless a policy names its path),
    // else finds it or asks for it.
    int LoadNotesLibrary(const char* iniPath, const std::string& caption);
    // Loads nnotes.dll from the program folder that notes.ini's Directory value gives.
    int LoadDirectoryNotesDll(const char* iniPath);

    // The Notes directory from notes.ini, then the full path of nnotes.dll.
    char m_szNotesPath[kPathBufferSize] = "";
    // The process's exit status (exit_status.h): set where a failure is reported.
    int m_nExitStatus = kSetupDone;
};

#endif
