// The run's one event in the Application log, in the words of TARNSETUP's message table
// (tarnsetup_events.mc): one id per exit status.
#include "tarnsetup_app.h"

#include "run_event.h"
#include "setup_command.h"
#include "setup_messages.h"
#include "tarnsetup_events.h"

void CTarnsetupApp::ReportRunOutcome() const {
    const char* operation = "The install";
    switch (ParseSetupCommand(CommandLine()).operation) {
    case SetupOperation::ServerInstall:
        operation = "The server install";
        break;
    case SetupOperation::Uninstall:
        operation = "The uninstall";
        break;
    case SetupOperation::Install:
        break;
    }
    const struct {
        int status;
        DWORD id;
    } events[] = {{kSetupDone, MSG_SETUP_DONE},
                  {kSetupCancelled, MSG_SETUP_CANCELLED},
                  {kSetupNotesNotFound, MSG_SETUP_NOTES_NOT_FOUND},
                  {kSetupLibraryMissing, MSG_SETUP_LIBRARY_MISSING},
                  {kSetupNotesIniNotWritten, MSG_SETUP_NOTES_INI_NOT_WRITTEN},
                  {kSetupInstallRefused, MSG_SETUP_INSTALL_REFUSED}};
    for (const auto& event : events) {
        if (event.status == m_nExitStatus) {
            ReportRunEvent("TARNSETUP", event.id, {operation, LastSetupError()});
            return;
        }
    }
}
