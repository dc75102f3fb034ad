// The screenshot scenes: each puts a program into a state a person meets and has the window
// pictured (screen_capture.h). tools/screenshots.sh runs them under Xvfb and Wine with the
// stand-in libraries and a private directory server, whose port, process id and search
// bases it passes in TARN_SHOTS_* variables.
#include "screen_capture.h"
#include "tarnbook_run.h"
#include "tarnsetup_run.h"

#include "connection/connection_notices.h"
#include "file_dialog.h"
#include "message_box.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_registry.h"
#include "win_path.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Shots(const char* name) {
    return driver::EnvironmentValue((std::string("TARN_SHOTS_") + name).c_str());
}

driver::WindowMatch WithItem(int id, const char* kind) {
    driver::WindowMatch match;
    match.test = [id](HWND window) { return GetDlgItem(window, id) != nullptr; };
    match.kind = kind;
    return match;
}

driver::WindowMatch StatusShowing(const std::string& text) {
    driver::WindowMatch match;
    match.test = [text](HWND window) {
        return GetDlgItem(window, IDC_STATUS_TEXT) &&
               driver::ItemText(window, IDC_STATUS_TEXT) == text;
    };
    match.kind = "the status window showing \"" + text + "\"";
    return match;
}

// A dialog with an OK or Cancel button that is none of the download's own windows.
driver::WindowMatch AMessageBox() {
    driver::WindowMatch match;
    match.className = "#32770";
    match.test = [](HWND window) {
        for (int item : {IDC_HOST_NAME, IDC_STATUS_TEXT, IDC_PROGRESS_BAR})
            if (GetDlgItem(window, item))
                return false;
        return GetDlgItem(window, IDOK) != nullptr || GetDlgItem(window, IDCANCEL) != nullptr;
    };
    match.kind = "a message box";
    return match;
}

void UseDirectory(const std::string& port, const std::string& base) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "HostName", "127.0.0.1");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "PortNumber", port);
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "SearchBase", base);
}

// An action run inside the trace viewer when a line starting with `text` arrives; the
// program waits in its trace call until the action is done.
struct LineHook {
    std::string text;
    std::function<void()> action;
    WNDPROC original = nullptr;
};
LineHook g_hook;

LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && lParam && g_hook.action) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(data->lpData);
        if (bytes && std::string(bytes, strnlen(bytes, data->cbData)).rfind(g_hook.text, 0) == 0) {
            auto action = std::move(g_hook.action);
            g_hook.action = nullptr;
            action();
        }
    }
    return CallWindowProcA(g_hook.original, window, message, wParam, lParam);
}

void HookLine(HWND viewer, const std::string& text, std::function<void()> action) {
    g_hook.text = text;
    g_hook.action = std::move(action);
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(viewer, GWLP_WNDPROC)) != HookProc)
        g_hook.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HookProc)));
}

// Captures the first message box the program shows, then answers it with Cancel or OK.
HWND CaptureBox(driver::Process& process, const std::string& name) {
    const HWND box = driver::WaitForWindow(process, AMessageBox());
    Capture(name, box);
    return box;
}

void Dismiss(HWND box) {
    if (box && !driver::PressButton(box, IDCANCEL))
        driver::PressButton(box, IDOK);
}

} // namespace

TEST(Screens, SettingsDialog) {
    TarnbookRun run("shot-settings");
    run.RecordNotesMachineWide();
    UseDirectory("389", "o=Voxtarion Example");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "HostName", "directory.example.com");
    ASSERT_TRUE(run.Start("/confirm"));
    const HWND dialog =
        driver::WaitForWindow(run.Process(), WithItem(IDC_HOST_NAME, "the settings dialog"));
    Capture("settings-dialog", dialog);
    driver::PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(run.WaitForExit());
}

// Connecting and searching, held by the paused directory server, then the progress window
// part-way, held by the viewer inside the trace of the first entry without Internet mail.
TEST(Screens, StatusAndProgressWindows) {
    TarnbookRun run("shot-download");
    run.RecordNotesMachineWide();
    UseDirectory(Shots("PORT"), Shots("BASE_PEOPLE"));
    HookLine(run.Viewer().Window(), "DoDownloadAdddressBook", [&run] {
        SignalServer("STOP");
        HookLine(run.Viewer().Window(), "Voxtarion address:", [&run] {
            Capture(
                "progress-window",
                driver::FindWindowOf(run.Process().Id(), WithItem(IDC_PROGRESS_BAR, "progress")));
        });
    });
    SignalServer("STOP");
    ASSERT_TRUE(run.Start());
    Capture(
        "status-connecting",
        driver::WaitForWindow(run.Process(), StatusShowing(ResourceText(IDS_STATUS_CONNECTING))));
    SignalServer("CONT");
    Capture(
        "status-searching",
        driver::WaitForWindow(run.Process(), StatusShowing(ResourceText(IDS_STATUS_SEARCHING))));
    SignalServer("CONT");
    EXPECT_TRUE(run.WaitForExit());
    SignalServer("CONT"); // whatever happened, the server runs for the next scenes
}

// The download program's messages, in interactive mode after the settings are confirmed.
// A row per message: the picture's name, the directory, the bridge and its script, and
// whether the private server is held, so that it does not answer.
TEST(Screens, DownloadMessages) {
    const struct {
        const char* name;
        const char* port; // "" for the private server's
        std::string base;
        const char* bridge;
        const char* script;
        bool held = false;
    } scenes[] = {
        {"message-no-entries", "", Shots("BASE_EMPTY"), "tarnhook.dll", ""},
        {"message-no-usable-mail", "", Shots("BASE_VOICE"), "tarnhook.dll", ""},
        {"message-server-down", "1", "o=Nowhere", "tarnhook.dll", ""},
        {"message-record-refused", "", Shots("BASE_PEOPLE"), "tarnhook.dll",
         "AddNewAddressBookRecordW#3=0"},
        {"message-bridge-missing", "", "", "", ""},
        {"message-entry-point-missing", "", "", "tarnhook_no_DeleteAll.dll", ""},
        {"message-init-session-failed", "", "", "tarnhook.dll", "InitNotesSession=1"},
        // A directory that caps paged searches too: the box comes after the records are written.
        {"message-incomplete-address-book", "", Shots("BASE_LIMITED"), "tarnhook.dll", ""},
        {"message-server-silent", "", Shots("BASE_PEOPLE"), "tarnhook.dll", "", true},
    };
    for (const auto& scene : scenes) {
        SCOPED_TRACE(scene.name);
        TarnbookRun run(std::string("shot-") + scene.name, scene.bridge);
        run.RecordNotesMachineWide();
        UseDirectory(*scene.port ? scene.port : Shots("PORT"), scene.base);
        if (*scene.script)
            run.Script(scene.script);
        ASSERT_TRUE(run.Start("/confirm"));
        const HWND dialog =
            driver::WaitForWindow(run.Process(), WithItem(IDC_HOST_NAME, "the settings dialog"));
        if (scene.held)
            SignalServer("STOP");
        driver::PressButton(dialog, IDOK);
        // A held server is given up only after the download's full wait for an answer.
        const HWND box = driver::WaitForWindow(run.Process(), AMessageBox(),
                                               scene.held ? (kServerAnswerSeconds + 15) * 1000
                                                          : driver::kWindowTimeoutMs);
        Capture(scene.name, box);
        Dismiss(box);
        if (scene.held)
            SignalServer("CONT");
        run.Process().Kill();
    }
}

TEST(Screens, NotesNotFoundAndTheLibraryDialog) {
    TarnbookRun run("shot-notes-not-found");
    ASSERT_TRUE(run.Start("/confirm"));
    driver::PressButton(
        driver::WaitForWindow(run.Process(), WithItem(IDC_HOST_NAME, "the settings dialog")), IDOK);
    const HWND question = CaptureBox(run.Process(), "message-notes-not-found");
    driver::PressButton(question, IDOK);
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_BROWSE_NOTES_TITLE));
    Capture("file-dialog-notes-library", dialog.Window());
    dialog.Cancel();
    EXPECT_TRUE(run.WaitForExit());
}

// Keeps the first list view among a window's descendants in *found.
BOOL CALLBACK FindListView(HWND child, LPARAM found) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpA(name, WC_LISTVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The file dialog reads its folder after it shows: it has settled once its list holds the
// files, the same number at two looks a moment apart.
bool WaitForListedFiles(HWND dialog, int count) {
    int last = -1;
    return driver::PollUntil(
        [&] {
            HWND list = nullptr;
            EnumChildWindows(dialog, FindListView, reinterpret_cast<LPARAM>(&list));
            DWORD_PTR items = 0;
            const bool read = list && SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0,
                                                          SMTO_ABORTIFHUNG, 500, &items);
            const int now = read ? static_cast<int>(items) : -1;
            const bool settled = now >= count && now == last;
            last = now;
            return settled;
        },
        driver::kWindowTimeoutMs);
}

TEST(Screens, ServerInstallDialogs) {
    TarnsetupRun run("shot-server-install");
    for (const char* database : {"discussion.nsf", "mail-archive.nsf", "team-room.nsf"})
        WriteWholeFile(run.Notes().dataDir + "\\" + database, "");
    ASSERT_TRUE(run.Start("-s"));
    const HWND option = driver::WaitForWindow(run.Process(), OptionDialog());
    Capture("server-option-dialog", option);
    driver::SelectRadio(option, IDC_OPTION_FIRST, {IDC_OPTION_FIRST, IDC_OPTION_SECOND});
    driver::PressButton(option, IDOK);
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_SERVER_INSTALL_CAPTION));
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(WaitForListedFiles(dialog.Window(), 3)) << "the dialog does not list the databases";
    Capture("file-dialog-databases", dialog.Window());
    dialog.Cancel();
    EXPECT_TRUE(run.WaitForExit());
}

TEST(Screens, SetupMessages) {
    {
        TarnsetupRun run("shot-setup-no-resources", "tarnhook.dll", false);
        ASSERT_TRUE(run.Start());
        Dismiss(CaptureBox(run.Process(), "setup-message-no-resources"));
    }
    {
        TarnsetupRun run("shot-setup-bridge-missing", "");
        ASSERT_TRUE(run.Start());
        Dismiss(CaptureBox(run.Process(), "setup-message-bridge-missing"));
    }
    {
        // The programs' window check: a window with text 31 as its title is open.
        const HWND blocking =
            CreateWindowA("STATIC", ResourceText(IDS_BLOCKING_WINDOW_TITLE).c_str(), WS_POPUP, 0, 0,
                          10, 10, nullptr, nullptr, nullptr, nullptr);
        TarnsetupRun run("shot-setup-close-window");
        ASSERT_TRUE(run.Start());
        Dismiss(CaptureBox(run.Process(), "setup-message-close-window"));
        DestroyWindow(blocking);
    }
    {
        // notes.ini in a folder that does not exist; Notes found through its recorded path.
        TarnsetupRun run("shot-setup-notes-ini");
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath",
                          run.Notes().programDir + "\\gone\\notes.ini");
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", run.Notes().dllPath);
        run.Script("InstallVoxtarionComponents=46");
        ASSERT_TRUE(run.Start());
        Dismiss(CaptureBox(run.Process(), "setup-message-notes-ini-not-written"));
    }
}

// TARNTRACE in a console window of its own while the download program runs twice.
TEST(Screens, TraceViewerAtWork) {
    static const char kConsoleTitle[] = "TARNTRACE - Voxtarion Desktop trace viewer";
    ResetProductRegistry();
    std::string command = "\"" + driver::BinDir() + "\\TARNTRACE.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USECOUNTCHARS | STARTF_USEFILLATTRIBUTE;
    startup.wShowWindow = SW_SHOWNORMAL;
    startup.dwXCountChars = 100;
    startup.dwYCountChars = 20;
    startup.dwFillAttribute = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
    startup.lpTitle = const_cast<char*>(kConsoleTitle);
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                               nullptr, nullptr, &startup, &started));
    Sleep(2000);
    {
        const ProgramFolder book = MakeProgramFolder("shot-trace-book", "TARNBOOK.exe");
        const NotesInstall notes = MakeNotesInstall("shot-trace-book");
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", notes.dllPath);
        UseDirectory(Shots("PORT"), Shots("BASE_PEOPLE"));
        driver::Process tarnbook;
        ASSERT_TRUE(tarnbook.Start(
            book.exe, driver::LaunchOptions().WorkingDirectory(book.dir).SetEnvironment(
                          "TARNHOOK_ADDRESSBOOK", book.dir + "\\names.csv")));
        EXPECT_TRUE(tarnbook.WaitForExit());
        UseDirectory("1", "o=Nowhere");
        driver::Process again;
        ASSERT_TRUE(again.Start(book.exe, driver::LaunchOptions().WorkingDirectory(book.dir)));
        EXPECT_TRUE(again.WaitForExit());
    }
    HWND console = nullptr;
    driver::PollUntil(
        [&console] { return (console = FindWindowA(nullptr, kConsoleTitle)) != nullptr; }, 5000);
    Capture("trace-viewer", console);
    TerminateProcess(started.hProcess, 0);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    ResetProductRegistry();
}
