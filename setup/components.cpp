// Install, uninstall and server install of the product's components through the bridge.
#include "tarnsetup_app.h"

#include "bridge_binding.h"
#include "notes_discovery.h"
#include "notes_ini_list.h"
#include "profile_text.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "setup_messages.h"
#include "setup_paths.h"
#include "status_dlg.h"
#include "text_format.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {

// Room for any selection the file dialog can return.
constexpr DWORD kSelectionBufferSize = 64 * 1024;

// The dialog's filter list from a text whose items each end with '|'.
std::string FilterList(std::string text) {
    std::replace(text.begin(), text.end(), '|', '\0');
    text.push_back('\0'); // the list ends with two nulls even when the text's last '|' is missing
    return text;
}

} // namespace

void CTarnsetupApp::DoInstall(const char* iniPath, int installFlag) {
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    if (!BindBridgeExport(g_bridge.InstallVoxtarionComponents, "InstallVoxtarionComponents")) {
        ShowSetupError(FormatResourceText(IDS_ENTRY_POINT_MISSING, "InstallVoxtarionComponents"),
                       IDS_SETUP_CAPTION);
        m_nExitStatus = kSetupLibraryMissing;
        return;
    }
    ChangeComponents(iniPath, [this, installFlag, &status] {
        if (installFlag == 0)
            status.SetStatusText(IDS_STATUS_INSTALLING);
        const int mode = g_bridge.InstallVoxtarionComponents(installFlag);
        if (mode < 0)
            m_nExitStatus = kSetupInstallRefused;
        return mode;
    });
}

void CTarnsetupApp::DoUninstall(const char* iniPath) {
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    if (!BindBridgeExport(g_bridge.UnInstallVoxtarionComponents, "UnInstallVoxtarionComponents")) {
        ShowSetupError(FormatResourceText(IDS_ENTRY_POINT_MISSING, "UnInstallVoxtarionComponents"),
                       IDS_SETUP_CAPTION);
        m_nExitStatus = kSetupLibraryMissing;
        return;
    }
    ChangeComponents(iniPath, [] {
        g_bridge.UnInstallVoxtarionComponents();
        return -1;
    });
}

void CTarnsetupApp::DoServerInstall(int flag) {
    const std::string filter = FilterList(LoadResourceText(IDS_DATABASE_FILTER));
    const std::string title = LoadResourceText(IDS_SERVER_INSTALL_CAPTION);
    const std::string statusFormat = LoadResourceText(IDS_STATUS_SERVER_INSTALL);

    char iniPath[kPathBufferSize] = "";
    GetNotesIniPath(iniPath, 0);
    const std::string dataDirectory = ReadProfileText(kNotesSection, kDirectoryKey, iniPath);

    std::vector<char> selection(kSelectionBufferSize, '\0');
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = selection.data();
    ofn.nMaxFile = kSelectionBufferSize;
    ofn.lpstrInitialDir = dataDirectory.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = "nsf";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) {
        m_nExitStatus = kSetupCancelled;
        return;
    }

    const char* missing = nullptr;
    if (!BindBridgeExport(g_bridge.InitNotesSession, "InitNotesSession"))
        missing = "InitNotesSession";
    else if (!BindBridgeExport(g_bridge.ServerInstallVoxtarionComponents,
                               "ServerInstallVoxtarionComponents"))
        missing = "ServerInstallVoxtarionComponents";
    else if (!BindBridgeExport(g_bridge.CloseNotesSession, "CloseNotesSession"))
        missing = "CloseNotesSession";
    if (missing) {
        ShowSetupError(FormatResourceText(IDS_ENTRY_POINT_MISSING, missing),
                       IDS_SERVER_INSTALL_CAPTION);
        m_nExitStatus = kSetupLibraryMissing;
        return;
    }

    g_bridge.InitNotesSession();
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    for (const std::string& path : SelectedFilePaths(selection.data(), selection.size())) {
        status.SetStatusText(FormatWithArgument(statusFormat, path));
        g_bridge.ServerInstallVoxtarionComponents(path.c_str(), flag);
    }
    g_bridge.CloseNotesSession();
}
