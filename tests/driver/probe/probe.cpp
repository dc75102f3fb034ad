// tarn_probe: a small program that shows the kinds of windows the product's programs show,
// so that the test driver can be proven on it.
//
//   tarn_probe.exe status <answer file>
//       Shows the status window (template 312 of tarnlang.dll, item 785 set to text 58224),
//       then a system-modal OK/Cancel message box without owner (caption text 125, text 58275).
//   tarn_probe.exe blocked <answer file>
//       Shows the status window and then blocks for 30 seconds without handling messages,
//       as a program does while it waits in a long call.
//   tarn_probe.exe settings <answer file>
//       Shows the progress window (template 309: text 130, bar at 7 of 0..40), then the
//       settings dialog (template 234, fields 1089 and 1090 filled in) and, after its OK, the
//       option dialog (template 210, first radio button checked), both modal.
//   tarn_probe.exe open <answer file>
//   tarn_probe.exe open-multi <answer file>
//       Shows the open-file dialog titled "Probe Open" on the answer file's folder; open-multi
//       lets several files be chosen.
//
// The answer file receives the button pressed ("OK" or "Cancel"), then for the file dialog
// the selection with its parts separated by '|', for the dialogs the fields and the option
// chosen ("host=", "base=", "option=first|second"), then the working folder ("cwd=...") and the
// variable TARN_PROBE_NOTE ("note=..." or "note unset"), one item a line. The exit code is
// the button's id (IDOK 1, IDCANCEL 2), or 100 when the probe could not run.
#include "command_line.h"
#include "resource_ids.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kCannotRun = 100;

std::string LoadText(HMODULE library, UINT id) {
    char text[1024] = "";
    LoadStringA(library, id, text, sizeof text);
    return text;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void WriteAnswer(const std::string& path, const std::string& answer) {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    char note[256] = "";
    const DWORD noteLength = GetEnvironmentVariableA("TARN_PROBE_NOTE", note, sizeof note);
    const std::string content = answer + "\r\ncwd=" + folder + "\r\n" +
                                (noteLength ? "note=" + std::string(note) : "note unset") + "\r\n";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

INT_PTR CALLBACK StatusProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The status window of template 312 with the searching text, painted at once.
HWND ShowStatusWindow(HMODULE language) {
    const HWND status =
        CreateDialogParamA(language, MAKEINTRESOURCEA(IDD_STATUS), nullptr, StatusProc, 0);
    SetDlgItemTextA(status, IDC_STATUS_TEXT, LoadText(language, IDS_STATUS_SEARCHING).c_str());
    UpdateWindow(status);
    return status;
}

int ShowStatusAndQuestion(const std::string& answerFile) {
    const HMODULE language = LoadLibraryA("tarnlang.dll");
    if (!language)
        return kCannotRun;
    const HWND status = ShowStatusWindow(language);

    const int button =
        MessageBoxA(nullptr, LoadText(language, IDS_NOTES_NOT_FOUND).c_str(),
                    LoadText(language, IDS_SETUP_CAPTION).c_str(), MB_OKCANCEL | MB_SYSTEMMODAL);
    WriteAnswer(answerFile, button == IDOK ? "OK" : "Cancel");
    DestroyWindow(status);
    FreeLibrary(language);
    return button;
}

int ShowStatusAndBlock(const std::string& answerFile) {
    const HMODULE language = LoadLibraryA("tarnlang.dll");
    if (!language)
        return kCannotRun;
    const HWND status = ShowStatusWindow(language);
    WriteAnswer(answerFile, "blocked");
    Sleep(30000);
    DestroyWindow(status);
    FreeLibrary(language);
    return IDOK;
}

std::string ItemString(HWND dialog, int id) {
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Settings dialog and option dialog: OK keeps what they show in `answer`, Cancel ends them.
INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetDlgItemTextA(dialog, IDC_HOST_NAME, "ldap.example.com");
        SetDlgItemTextA(dialog, IDC_SEARCH_BASE, "o=Example");
        CheckRadioButton(dialog, IDC_OPTION_FIRST, IDC_OPTION_SECOND, IDC_OPTION_FIRST);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* answer = reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER));
            if (GetDlgItem(dialog, IDC_HOST_NAME)) {
                *answer += "\r\nhost=" + ItemString(dialog, IDC_HOST_NAME) +
                           "\r\nbase=" + ItemString(dialog, IDC_SEARCH_BASE);
            } else {
                *answer += IsDlgButtonChecked(dialog, IDC_OPTION_SECOND) == BST_CHECKED
                               ? "\r\noption=second"
                               : "\r\noption=first";
            }
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

int ShowProgressAndDialogs(const std::string& answerFile) {
    const HMODULE language = LoadLibraryA("tarnlang.dll");
    if (!language)
        return kCannotRun;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const HWND progress =
        CreateDialogParamA(language, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, StatusProc, 0);
    SetDlgItemTextA(progress, IDC_PROGRESS_TEXT, LoadText(language, IDS_PROGRESS_TEXT).c_str());
    SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 40);
    SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETPOS, 7, 0);
    ShowWindow(progress, SW_SHOW);

    std::string fields;
    INT_PTR button = DialogBoxParamA(language, MAKEINTRESOURCEA(IDD_USER_INFO), nullptr,
                                     SettingsProc, reinterpret_cast<LPARAM>(&fields));
    if (button == IDOK) {
        button = DialogBoxParamA(language, MAKEINTRESOURCEA(IDD_SERVER_OPTION), nullptr,
                                 SettingsProc, reinterpret_cast<LPARAM>(&fields));
    }
    WriteAnswer(answerFile, (button == IDOK ? "OK" : "Cancel") + fields);
    DestroyWindow(progress);
    FreeLibrary(language);
    return static_cast<int>(button);
}

int ShowOpenDialog(const std::string& answerFile, bool several) {
    std::vector<char> selection(8192, '\0');
    const std::string folder = FolderOf(answerFile);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = "Notes databases (*.nsf)\0*.nsf\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = selection.data();
    dialog.nMaxFile = static_cast<DWORD>(selection.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = "Probe Open";
    dialog.lpstrDefExt = "nsf";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR |
                   (several ? OFN_ALLOWMULTISELECT : 0);
    if (!GetOpenFileNameA(&dialog)) {
        WriteAnswer(answerFile, "Cancel");
        return IDCANCEL;
    }
    // The selection: one path, or the folder and then each name, each NUL-terminated.
    std::string chosen;
    for (const char* part = selection.data(); *part; part += std::strlen(part) + 1)
        chosen += (chosen.empty() ? "" : "|") + std::string(part);
    WriteAnswer(answerFile, "OK\r\n" + chosen);
    return IDOK;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string arguments = CommandLineTail(GetCommandLineA());
    const size_t blank = arguments.find(' ');
    if (blank == std::string::npos)
        return kCannotRun;
    const std::string mode = arguments.substr(0, blank);
    std::string answerFile = arguments.substr(blank + 1);
    if (answerFile.size() >= 2 && answerFile.front() == '"' && answerFile.back() == '"')
        answerFile = answerFile.substr(1, answerFile.size() - 2);

    if (mode == "status")
        return ShowStatusAndQuestion(answerFile);
    if (mode == "blocked")
        return ShowStatusAndBlock(answerFile);
    if (mode == "settings")
        return ShowProgressAndDialogs(answerFile);
    if (mode == "open")
        return ShowOpenDialog(answerFile, false);
    if (mode == "open-multi")
        return ShowOpenDialog(answerFile, true);
    return kCannotRun;
}
