// One run of the setup program as a person starts it: its own program folder, a stand-in
// Notes installation whose notes.ini the product's registry names, and the bridge's call log.
#ifndef TARN_TARNSETUP_RUN_H
#define TARN_TARNSETUP_RUN_H

#include "bridge_log.h"
#include "message_box.h"
#include "process.h"
#include "resource_texts.h"
#include "test_install.h"
#include "window_finder.h"

#include <windows.h>

#include <string>
#include <vector>

class TarnsetupRun {
  public:
    // bridge: the file copied into the program folder as tarnhook.dll ("" for none).
    explicit TarnsetupRun(const std::string& name, const std::string& bridge = "tarnhook.dll",
                          bool withResources = true);
    ~TarnsetupRun();
    TarnsetupRun(const TarnsetupRun&) = delete;
    TarnsetupRun& operator=(const TarnsetupRun&) = delete;

    // Replaces the whole text of notes.ini.
    void WriteNotesIni(const std::string& text);
    // The text of a notes.ini whose [Notes] section holds the Directory value of the Notes
    // installation's data folder and then these lines.
    std::string NotesIniWith(const std::string& moreLines) const;
    std::string NotesIniText() const;
    // The results the bridge returns, e.g. "InstallVoxtarionComponents=46".
    void Script(const std::string& script) { script_ = script; }
    // What the run starts with; Start adds the command line and the bridge's variables, and
    // the program folder as working directory where none is set here.
    driver::LaunchOptions& Options() { return options_; }

    bool Start(const std::string& arguments = std::string());
    // Waits for the end; fails the test, naming what is on screen, when the program shows a
    // message box or a dialog (its status window aside) or does not end in time.
    void ExpectNoQuestionUntilExit();
    bool WaitForExit() { return process_.WaitForExit(); }

    std::vector<LoggedCall> BridgeCalls() const { return ReadBridgeLog(program_.bridgeLog); }
    bool BridgeWasCalled() const;

    driver::Process& Process() { return process_; }
    const ProgramFolder& Program() const { return program_; }
    const NotesInstall& Notes() const { return notes_; }

  private:
    ProgramFolder program_;
    NotesInstall notes_;
    driver::Process process_;
    driver::LaunchOptions options_;
    std::string script_;
};

// A failure message: the caption and text, one OK button, no owner, not system-modal.
void ExpectErrorBox(const driver::MessageBoxInfo& box, const std::string& caption,
                    const std::string& text);
// A question of the setup program: caption text 125, OK and Cancel, system-modal, no owner.
void ExpectQuestionBox(const driver::MessageBoxInfo& box, unsigned textId);

// The option dialog of the server install (template 210).
driver::WindowMatch OptionDialog();

// The text item 785 of the status window showed during a bridge call ("" when none showed).
std::string StatusTextDuring(const LoggedCall& call);

#endif
