#include "app_base.h"

#include "command_line.h"
#include "library_search.h"

#include <commctrl.h>

namespace {
ApplicationBase* g_application = nullptr;
}

ApplicationBase::ApplicationBase() {
    g_application = this;
}

ApplicationBase::~ApplicationBase() {
    if (g_application == this)
        g_application = nullptr;
}

ApplicationBase* ApplicationBase::Current() {
    return g_application;
}

int ApplicationBase::Run(HINSTANCE instance, const char* commandLine) {
    // Before anything can load a library: never from the current folder or PATH.
    RestrictLibrarySearch();
    instance_ = instance;
    commandLine_ = CommandLineTail(commandLine);
    // No message loop runs, and a blocking call answers nothing: no "not responding" ghost may
    // cover what our repaints show.
    DisableProcessWindowsGhosting();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    InitInstance();
    const int status = ExitInstance();
    if (LeavesThreadInLibrary()) {
        // Returning from WinMain calls ExitProcess, which ends the other threads wherever they
        // are and then calls every library's detach: a detach that needs a lock the ended
        // thread held waits for ever, and so would a logon script that waits for this program.
        // TerminateProcess calls no detach. The exit hook has written the trace and the run's
        // event and released the bridge, each synchronously, so nothing is left to flush.
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    }
    return status;
}

int RunCurrentApplication(HINSTANCE instance) {
    ApplicationBase* app = ApplicationBase::Current();
    return app ? app->Run(instance, GetCommandLineA()) : 1;
}
