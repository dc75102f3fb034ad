// One run of the download program as a person starts it: its own program folder, a
// stand-in Notes installation, the product's registry values and the trace viewer.
#ifndef TARN_TARNBOOK_RUN_H
#define TARN_TARNBOOK_RUN_H

#include "bridge_log.h"
#include "process.h"
#include "resource_texts.h"
#include "test_install.h"
#include "trace_viewer.h"

#include <windows.h>

#include <string>
#include <vector>

class TarnbookRun {
  public:
    // bridge: the file copied in as tarnhook.dll ("" for none).
    explicit TarnbookRun(const std::string& name, const std::string& bridge = "tarnhook.dll",
                         bool withResources = true);
    ~TarnbookRun();

    // Records the Notes installation's nnotes.dll as NotesDllPath, machine-wide.
    void RecordNotesMachineWide();
    // Settings that make the download fail at once, so a run ends quickly.
    void StoreUnreachableServer();
    void Script(const std::string& script) { script_ = script; }
    // What the run starts with; Start adds the command line and the bridge's variables, and
    // the program folder as working directory where none is set here.
    driver::LaunchOptions& Options() { return options_; }
    bool Start(const std::string& arguments = std::string());
    bool WaitForExit() { return process_.WaitForExit(); }
    // Silent mode: until the program ends it shows no message box and no dialog but its
    // status and progress windows.
    void ExpectNothingAskedUntilExit();

    std::vector<LoggedCall> BridgeCalls() const { return ReadBridgeLog(program_.bridgeLog); }
    std::vector<driver::TraceLine> RedLines() const;
    bool Traced(const std::string& text, DWORD colour) const;

    driver::Process& Process() { return process_; }
    driver::TraceViewer& Viewer() { return viewer_; }
    const ProgramFolder& Program() const { return program_; }
    const NotesInstall& Notes() const { return notes_; }

  private:
    ProgramFolder program_;
    NotesInstall notes_;
    driver::TraceViewer viewer_;
    driver::Process process_;
    driver::LaunchOptions options_;
    std::string script_;
};

#endif
