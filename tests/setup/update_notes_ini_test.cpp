// The edit of real notes.ini files after a bridge call, through the platform's profile
// functions, under the file's lock.
#include "tarnsetup_app.h"

#include "notes_ini_lock.h"
#include "profile_text.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "test_files.h"
#include "window_actions.h"
#include "window_finder.h"
#include "message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Answers every message box this process shows with OK, from a thread of its own, and keeps
// what each showed; a test whose edit unexpectedly fails thus ends instead of hanging.
// atEachBox runs on the watching thread while a box is on screen, before it is answered.
class MessageBoxWatcher {
  public:
    explicit MessageBoxWatcher(std::function<void()> atEachBox = nullptr)
        : atEachBox_(std::move(atEachBox)), thread_([this] { Watch(); }) {}
    ~MessageBoxWatcher() { Stop(); }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Stops watching and returns every box seen.
    std::vector<driver::MessageBoxInfo> Seen() {
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

    void Watch() {
        driver::WindowMatch messageBox;
        messageBox.test = driver::IsMessageBox;
        HWND answered = nullptr;
        while (!stop_) {
            const HWND box = driver::FindWindowOf(GetCurrentProcessId(), messageBox);
            if (box && box != answered) {
                const driver::MessageBoxInfo seen = driver::ReadMessageBox(box);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(seen);
                }
                if (atEachBox_)
                    atEachBox_();
                driver::PressButton(box, IDOK);
                answered = box;
            }
            Sleep(driver::kPollIntervalMs);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<driver::MessageBoxInfo> seen_;
    std::function<void()> atEachBox_;
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

    // Edits the file as a bridge call whose result is mode would have it and returns the
    // message boxes that showed.
    std::vector<driver::MessageBoxInfo> Update(int mode, const std::string& path) {
        MessageBoxWatcher watcher;
        app_.ChangeComponents(path.c_str(), [mode] { return mode; });
        return watcher.Seen();
    }
    // The file's text after an update that must succeed without a message.
    std::string UpdatedFile(int mode) {
        const std::vector<driver::MessageBoxInfo> boxes = Update(mode, ini_);
        EXPECT_TRUE(boxes.empty()) << "mode " << mode << " showed: " << boxes.front().text;
        return driver::ReadTextFile(ini_);
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
    ASSERT_FALSE(driver::FileExists(ini_));
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

// One error message, caption text 125 and an OK button, without owner, naming the file.
void ExpectOneReportNaming(const std::vector<driver::MessageBoxInfo>& boxes,
                           const std::string& path) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, LoadResourceText(IDS_SETUP_CAPTION));
    EXPECT_NE(boxes[0].text.find(path), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("NSF_HOOKS and EXTMGR_ADDINS were not updated"), std::string::npos)
        << "both values are tried and named: " << boxes[0].text;
    EXPECT_EQ(boxes[0].ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_FALSE(boxes[0].topmost) << "an error is not system-modal";
}

TEST_F(UpdateNotesIniTest, AFileInAMissingFolderIsReportedByName) {
    const std::string path = dir_ + "\\missing\\notes.ini";
    const std::vector<driver::MessageBoxInfo> boxes = Update(0, path);
    ExpectOneReportNaming(boxes, path);
    EXPECT_FALSE(driver::FileExists(path));
}

TEST_F(UpdateNotesIniTest, AFileHeldOpenByAnotherProgramIsReportedAndKeptAsItWas) {
    const std::string before = NotesIni("a", "b");
    WriteWholeFile(ini_, before);
    std::vector<driver::MessageBoxInfo> boxes;
    {
        const HANDLE held = CreateFileA(ini_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        boxes = Update(46, ini_);
        CloseHandle(held);
    }
    ExpectOneReportNaming(boxes, ini_);
    EXPECT_EQ(driver::ReadTextFile(ini_), before);
}

} // namespace

namespace {

// Whether another run could take the lock of the file at path now.
bool LockIsFree(const std::string& path) {
    NotesIniLock probe;
    return probe.Acquire(path.c_str(), 0) == NotesIniLock::Outcome::Held;
}

TEST_F(UpdateNotesIniTest, TheBridgeIsCalledUnderTheLockAndTheReportShownAfterIt) {
    // A list that would grow past what a value may hold: the edit reports it, on a file that
    // can be locked.
    WriteWholeFile(ini_, "[Notes]\r\nNSF_HOOKS=" + std::string(kLongestProfileValue, 'h') +
                             "\r\nEXTMGR_ADDINS=\r\n");
    bool freeDuringCall = true, freeAtReport = false;
    MessageBoxWatcher watcher([&] { freeAtReport = LockIsFree(ini_); });
    app_.ChangeComponents(ini_.c_str(), [&] {
        freeDuringCall = LockIsFree(ini_);
        return 0;
    });
    const std::vector<driver::MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("NSF_HOOKS would be longer"), std::string::npos) << boxes[0].text;
    EXPECT_FALSE(freeDuringCall) << "the bridge call runs under the lock";
    EXPECT_TRUE(freeAtReport) << "the report waits until the lock is released";
}

} // namespace
