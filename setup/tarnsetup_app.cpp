#include "tarnsetup_app.h"

#include "bridge_binding.h"
#include "library_search.h"
#include "notes_discovery.h"
#include "notes_ini_list.h"
#include "profile_text.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "server_option_dlg.h"
#include "setup_command.h"
#include "setup_messages.h"
#include "setup_paths.h"
#include "text_format.h"

CTarnsetupApp::CTarnsetupApp() = default;

bool CTarnsetupApp::InitInstance() {
    const HINSTANCE resources = LoadResourceImage(kResourceLibraryName);
    if (!resources) {
        // The one message that cannot come from the resource library.
        ShowSetupError(FormatWithArgument("Load library failed:%s", kResourceLibraryName),
                       std::string("Voxtarion"));
        m_nExitStatus = kSetupLibraryMissing;
        return false;
    }
    SetResourceModule(resources);

    const std::string caption = LoadResourceText(IDS_SETUP_CAPTION);
    if (!WaitForBlockingWindow(caption)) {
        m_nExitStatus = kSetupCancelled;
        return false;
    }

    char iniPath[kPathBufferSize] = "";
    GetNotesIniPath(iniPath, 0);
    const std::string commandLine = CommandLine();
    if (!LoadNotesLibrary(iniPath, caption)) {
        m_nExitStatus = kSetupNotesNotFound;
        return false;
    }

    if (!LoadBridgeLibrary(g_hNotesDll)) {
        ShowSetupError(FormatResourceText(IDS_LIBRARY_NOT_LOADED, kBridgeLibraryName), caption);
        m_nExitStatus = kSetupLibraryMissing;
        return false;
    }

    const SetupCommand command = ParseSetupCommand(commandLine);
    switch (command.operation) {
    case SetupOperation::ServerInstall: {
        CServerOptionDlg dialog;
        const int flag = dialog.DoModal() == IDOK ? ServerInstallFlag(dialog.m_nOption) : -1;
        if (flag >= 0)
            DoServerInstall(flag);
        else
            m_nExitStatus = kSetupCancelled;
        break;
    }
    case SetupOperation::Uninstall:
        DoUninstall(iniPath);
        break;
    case SetupOperation::Install:
        DoInstall(iniPath, command.installFlag);
        break;
    }
    return false;
}

int CTarnsetupApp::ExitInstance() {
    ReportRunOutcome();
    FreeBridgeLibrary();
    if (g_hNotesDll) {
        FreeLibrary(g_hNotesDll);
        g_hNotesDll = nullptr;
    }
    ApplicationBase::ExitInstance();
    return m_nExitStatus;
}

bool CTarnsetupApp::WaitForBlockingWindow(const std::string& caption) {
    // An empty title would match every untitled window, so it blocks nothing.
    const std::string title = LoadResourceText(IDS_BLOCKING_WINDOW_TITLE);
    if (title.empty())
        return true;
    while (FindWindowA(nullptr, title.c_str())) {
        if (!AskSetupQuestion(IDS_CLOSE_WINDOW_QUESTION, caption))
            return false;
    }
    return true;
}

int CTarnsetupApp::LoadDirectoryNotesDll(const char* iniPath) {
    // Directory names the Notes data folder, whose parent is the program folder:
    // C:\Lotus\Notes\Data gives C:\Lotus\Notes\nnotes.dll. A value too long for the path
    // buffer, or for "\nnotes.dll" behind it, counts as a library that failed to load; an empty
    // or relative one names no file (an empty one would give the current drive's root).
    const std::string directory = ReadProfileText(kNotesSection, kDirectoryKey, iniPath);
    m_szNotesPath[0] = '\0';
    g_hNotesDll = nullptr;
    if (!CopyToBuffer(m_szNotesPath, sizeof m_szNotesPath, directory.c_str()))
        return 0;
    CutNotesDirectory(m_szNotesPath);
    char programDir[kPathBufferSize] = "";
    CopyToBuffer(programDir, sizeof programDir, m_szNotesPath);
    if (!AppendToBuffer(m_szNotesPath, sizeof m_szNotesPath, "\\nnotes.dll") ||
        !NamesLibraryFile(m_szNotesPath, "Directory of notes.ini"))
        return 0;
    SetCurrentDirectoryA(programDir);
    return LoadNotesDllAt(m_szNotesPath);
}

int CTarnsetupApp::LoadNotesLibrary(const char* iniPath, const std::string& caption) {
    // A policy's path of nnotes.dll decides before the user's own notes.ini: FindNotesDll
    // takes it first.
    if (!PolicyNamesNotesDll() && LoadDirectoryNotesDll(iniPath))
        return 1;
    if (FindNotesDll())
        return 1;
    if (!AskSetupQuestion(IDS_NOTES_NOT_FOUND, caption))
        return 0;
    return BrowseForNotesDll();
}
