// UpdateNotesIni on real notes.ini files, through the platform's profile functions.
#include "tarnsetup_app.h"

#include "resource_ids.h"
#include "resource_text.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct SeenMessageBox {
    std::string caption;
    std::string text;
};

// Answers every message box this process shows with OK, from a thread of its own, and keeps
// what each showed; a test whose edit unexpectedly fails thus ends instead of hanging.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher() : thread_([this] { Watch(); }) {}
    ~MessageBoxWatcher() { Stop(); }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Stops watching and returns every box seen.
    std::vector<SeenMessageBox> Seen() {
        Stop();
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

  private:
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    static BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        char text[1024] = "";
        GetWindowTextA(child, text, sizeof text);
        auto* longest = reinterpret_cast<std::string*>(param);
        if (lstrcmpiA(className, "Static") == 0 && std::string(text).size() > longest->size())
            *longest = text;
        return TRUE;
    }

    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[32] = "";
        GetClassNameA(window, className, sizeof className);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            std::string(className) == "#32770" && GetDlgItem(window, IDOK)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }

    void Watch() {
        HWND answered = nullptr;
        while (!stop_) {
            HWND box = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (box && box != answered) {
                SeenMessageBox seen;
                char caption[256] = "";
                GetWindowTextA(box, caption, sizeof caption);
                seen.caption = caption;
                EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&seen.text));
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(seen);
                }
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
                answered = box;
            }
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenMessageBox> seen_;
    std::thread thread_;
};

class UpdateNotesIniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resources_ = LoadLibraryA("tarnlang.dll");
        ASSERT_NE(resources_, nullptr);
        SetResourceModule(resources_);
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir_ = FreshTestDir("update-notes-ini-" + name);
        ini_ = dir_ + "\\notes.ini";
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        if (resources_)
            FreeLibrary(resources_);
    }

    // Runs UpdateNotesIni and returns the message boxes it showed.
    std::vector<SeenMessageBox> Update(int mode, const std::string& path) {
        MessageBoxWatcher watcher;
        app_.UpdateNotesIni(path.c_str(), mode);
        return watcher.Seen();
    }
    // The file's text after an update that must succeed without a message.
    std::string UpdatedFile(int mode) {
        const std::vector<SeenMessageBox> boxes = Update(mode, ini_);
        EXPECT_TRUE(boxes.empty()) << "mode " << mode << " showed: " << boxes.front().text;
        return ReadWholeFile(ini_);
    }
    std::string Value(const char* section, const char* key) const {
        char value[4096] = "";
        GetPrivateProfileStringA(section, key, "(missing)", value, sizeof value, ini_.c_str());
        return value;
    }

    HMODULE resources_ = nullptr;
    CTarnsetupApp app_;
    std::string dir_;
    std::string ini_;
};

TEST_F(UpdateNotesIniTest, MissingKeysAreWrittenWithAnEmptyValue) {
    WriteWholeFile(ini_, "[Notes]\r\nDirectory=C:\\Notes\\Data\r\n");
    EXPECT_EQ(UpdatedFile(-1),
              "[Notes]\r\nDirectory=C:\\Notes\\Data\r\nNSF_HOOKS=\r\nEXTMGR_ADDINS=\r\n");
}

TEST_F(UpdateNotesIniTest, AMissingNotesSectionIsCreatedWithBothKeys) {
    WriteWholeFile(ini_, "[Other]\r\nx=1\r\n");
    UpdatedFile(-1);
    EXPECT_EQ(Value("Notes", "NSF_HOOKS"), "");
    EXPECT_EQ(Value("Notes", "EXTMGR_ADDINS"), "");
    EXPECT_EQ(Value("Other", "x"), "1");
}

TEST_F(UpdateNotesIniTest, AMissingFileIsCreatedWithBothKeys) {
    ASSERT_FALSE(FileExists(ini_));
    UpdatedFile(0);
    EXPECT_EQ(Value("Notes", "NSF_HOOKS"), "tarnhook");
    EXPECT_EQ(Value("Notes", "EXTMGR_ADDINS"), "");
}

TEST_F(UpdateNotesIniTest, TheInstallResultDecidesWhatEachListHolds) {
    struct Case {
        int mode;
        const char* hooks;
        const char* addins;
    };
    const Case cases[] = {
        {0, "a,tarnhook", "b"},          {1, "a,tarnhook", "b"},  {2, "a,tarnhook", "tarnpwd,b"},
        {46, "a,tarnhook", "tarnpwd,b"}, {47, "a,tarnhook", "b"}, {-1, "a", "b"},
    };
    for (const Case& c : cases) {
        WriteWholeFile(ini_, "[Notes]\r\nNSF_HOOKS=a\r\nEXTMGR_ADDINS=tarnpwd,b\r\n");
        UpdatedFile(c.mode);
        EXPECT_EQ(Value("Notes", "NSF_HOOKS"), c.hooks) << "mode " << c.mode;
        EXPECT_EQ(Value("Notes", "EXTMGR_ADDINS"), c.addins) << "mode " << c.mode;
    }
}

TEST_F(UpdateNotesIniTest, AnInstallOfWhatIsRegisteredAlreadyLeavesTheFileAsItWas) {
    const std::string before = "[Notes]\r\nNSF_HOOKS=tarnhook\r\nEXTMGR_ADDINS=x,tarnpwd\r\n";
    WriteWholeFile(ini_, before);
    EXPECT_EQ(UpdatedFile(46), before);
}

// A notes.ini as the profile functions write it: one key=value per line, lines ended by
// CR LF. Its other sections and keys must come out exactly as they went in.
std::string NotesIni(const std::string& hooks, const std::string& addins) {
    return "; Lotus Notes settings\r\n"
           "[Before]\r\n"
           "Path=C:\\Lotus\\Notes\r\n"
           "[Notes]\r\n"
           "KitType=1\r\n"
           "Directory=C:\\Lotus\\Notes\\Data\r\n"
           "NSF_HOOKS=" +
           hooks +
           "\r\n"
           "MailServer=CN=Mail01/O=Example\r\n"
           "EXTMGR_ADDINS=" +
           addins +
           "\r\n"
           "Ports=TCPIP, LAN0\r\n"
           "WindowSizeWidth=640\r\n"
           "[After]\r\n"
           "Quoted=\"kept, as it is\"\r\n"
           "Empty=\r\n";
}

TEST_F(UpdateNotesIniTest, OtherSectionsAndKeysStayByteForByte) {
    WriteWholeFile(ini_, NotesIni("n1, n2", "e1"));
    EXPECT_EQ(UpdatedFile(46), NotesIni("n1, n2,tarnhook", "e1,tarnpwd"));
    EXPECT_EQ(UpdatedFile(-1), NotesIni("n1, n2", "e1"));
}

TEST_F(UpdateNotesIniTest, OtherKeysKeepTheirValuesWhateverTheFilesLayout) {
    // Blank lines, blanks around '=', indented keys and bare line feeds: the profile
    // functions may lay the file out anew, but every other value reads as before.
    WriteWholeFile(ini_, "[Notes]\n\n  KitType = 1\r\nNSF_HOOKS = a\nDirectory=  C:\\Data  \n"
                         "\r\n[Other]\nKey=Value with  two blanks\r\n");
    UpdatedFile(0);
    EXPECT_EQ(Value("Notes", "KitType"), "1");
    EXPECT_EQ(Value("Notes", "Directory"), "C:\\Data");
    EXPECT_EQ(Value("Other", "Key"), "Value with  two blanks");
    EXPECT_EQ(Value("Notes", "NSF_HOOKS"), "a,tarnhook");
}

TEST_F(UpdateNotesIniTest, ALongListIsEditedWithoutLosingAByte) {
    std::string others;
    for (int i = 0; others.size() < 2000; ++i)
        others += (i ? "," : "") + std::string("extension") + std::to_string(i);
    WriteWholeFile(ini_, NotesIni(others, others));

    EXPECT_EQ(UpdatedFile(45), NotesIni(others + ",tarnhook", others + ",tarnpwd"));
    EXPECT_EQ(UpdatedFile(-1), NotesIni(others, others));
}

TEST_F(UpdateNotesIniTest, TwoCallsGiveTheSameFileAsOne) {
    for (int mode : {-1, 0, 46}) {
        WriteWholeFile(ini_, NotesIni("x,tarnhook , y", "TARNPWD,tarnpwd"));
        const std::string once = UpdatedFile(mode);
        EXPECT_EQ(UpdatedFile(mode), once) << "mode " << mode;
    }
}

TEST_F(UpdateNotesIniTest, AFileInAMissingFolderIsReportedByName) {
    const std::string path = dir_ + "\\missing\\notes.ini";
    const std::vector<SeenMessageBox> boxes = Update(0, path);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, LoadResourceText(IDS_SETUP_CAPTION));
    EXPECT_NE(boxes[0].text.find(path), std::string::npos) << boxes[0].text;
    EXPECT_FALSE(FileExists(path));
}

TEST_F(UpdateNotesIniTest, AFileHeldOpenByAnotherProgramIsReportedAndKeptAsItWas) {
    const std::string before = NotesIni("a", "b");
    WriteWholeFile(ini_, before);
    std::vector<SeenMessageBox> boxes;
    {
        const HANDLE held = CreateFileA(ini_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        boxes = Update(46, ini_);
        CloseHandle(held);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, LoadResourceText(IDS_SETUP_CAPTION));
    EXPECT_NE(boxes[0].text.find(ini_), std::string::npos) << boxes[0].text;
    EXPECT_EQ(ReadWholeFile(ini_), before);
}

} // namespace
