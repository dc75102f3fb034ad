// TARNTRACE at work: the administrator starts it, runs the programs, and reads their lines.
#include "tarnsetup_run.h"

#include "process.h"
#include "product_keys.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_install.h"
#include "test_registry.h"
#include "win_path.h"
#include "window_actions.h"
#include "window_finder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>

namespace {

// The window named in the viewer block, or null when there is no block.
HWND PublishedViewerWindow() {
    driver::Handle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, "VXTRACE_WINDOW_HANDLE"));
    if (!mapping)
        return nullptr;
    const void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (!view)
        return nullptr;
    std::uint32_t value = 0;
    std::memcpy(&value, view, sizeof value);
    UnmapViewOfFile(view);
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

class Viewer {
  public:
    // Starts TARNTRACE with the arguments and waits until it has published its window.
    explicit Viewer(const std::string& arguments) {
        if (!process_.Start(driver::BinDir() + "\\TARNTRACE.exe",
                            driver::LaunchOptions().Arguments(arguments)))
            return;
        const DWORD deadline = GetTickCount() + driver::kWindowTimeoutMs;
        while (!(window_ = PublishedViewerWindow()) && process_.IsRunning() &&
               GetTickCount() < deadline)
            Sleep(driver::kPollIntervalMs);
    }
    ~Viewer() { process_.Kill(); }
    HWND Window() const { return window_; }
    driver::Process& Process() { return process_; }

    // Closes its window, as a person ending it would; it must end and remove its block.
    void Close() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_TRUE(process_.WaitForExit()) << "TARNTRACE did not end when its window closed";
        EXPECT_EQ(process_.ExitCode(), 0u);
        EXPECT_EQ(PublishedViewerWindow(), nullptr) << "the viewer block was left behind";
    }

  private:
    driver::Process process_;
    HWND window_ = nullptr;
};

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream text(driver::ReadTextFile(path));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

// Finds each expected "class text" after the one before it; the time in front is skipped.
void ExpectInOrder(const std::vector<std::string>& lines,
                   const std::vector<std::string>& expected) {
    std::size_t at = 0;
    for (const std::string& want : expected) {
        while (at < lines.size() && lines[at].substr(13) != want)
            ++at;
        ASSERT_LT(at, lines.size()) << "missing, or out of order: [" << want << "]";
        ++at;
    }
}

} // namespace

TEST(Tarntrace, ShowsTheLinesOfBothProgramsInOrderWithTheirColours) {
    ResetProductRegistry();
    const std::string log = FreshTestDir("tarntrace-lines") + "\\trace.log";
    Viewer viewer("--file \"" + log + "\"");
    ASSERT_NE(viewer.Window(), nullptr) << "TARNTRACE did not publish its window";

    // The download program, silent, against a server that does not answer.
    const ProgramFolder book = MakeProgramFolder("tarntrace-book", "TARNBOOK.exe");
    const NotesInstall notes = MakeNotesInstall("tarntrace-book");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", notes.dllPath);
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "HostName", "127.0.0.1");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "PortNumber", "1");
    driver::Process tarnbook;
    ASSERT_TRUE(tarnbook.Start(book.exe, driver::LaunchOptions()
                                             .WorkingDirectory(book.dir)
                                             .SetEnvironment("TARNHOOK_LOG", book.bridgeLog)
                                             .RemoveEnvironment("TARNHOOK_SCRIPT")));
    ASSERT_TRUE(tarnbook.WaitForExit());

    // The setup program, whose notes.ini names no Notes folder and whose key lacks the
    // notes.ini path; it is ended at its option dialog.
    std::string setupNotes;
    {
        TarnsetupRun setup("tarntrace-setup");
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY);
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath",
                          setup.Notes().dllPath);
        setupNotes = setup.Notes().programDir;
        ASSERT_TRUE(setup.Start("-s"));
        const HWND dialog = driver::WaitForWindow(setup.Process(), OptionDialog());
        ASSERT_NE(dialog, nullptr);
        driver::PressButton(dialog, IDCANCEL);
        ASSERT_TRUE(setup.WaitForExit());
    }
    viewer.Close();

    ExpectInOrder(FileLines(log), {
                                      "error    GetUserInfo::RegCreateKey failed",
                                      "progress CTarnbookApp::InitLotus()",
                                      "progress SetCurrentDirectory::" + notes.programDir,
                                      "progress DownloadAddressBook",
                                      "error    GetNotesIniPath(): RegQueryValueEx FAILED",
                                      "progress SetCurrentDirectory::" + setupNotes,
                                  });
    ResetProductRegistry();
}

TEST(Tarntrace, ASecondViewerRefusesToStartAndTheFirstKeepsTheLines) {
    Viewer first("");
    ASSERT_NE(first.Window(), nullptr) << "TARNTRACE did not publish its window";
    driver::Process second;
    ASSERT_TRUE(second.Start(driver::BinDir() + "\\TARNTRACE.exe"));
    ASSERT_TRUE(second.WaitForExit()) << "the second viewer did not refuse";
    EXPECT_EQ(second.ExitCode(), 1u);
    EXPECT_EQ(PublishedViewerWindow(), first.Window());
    EXPECT_TRUE(first.Process().IsRunning());
    first.Close();
}
