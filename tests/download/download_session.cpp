#include "download_session.h"

#include "message_box.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "run_events.h"
#include "test_files.h"
#include "test_registry.h"
#include "win_path.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <wincrypt.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <future>
#include <sstream>

namespace {

std::map<std::string, std::string> ReadKeyValueFile(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream in(driver::ReadTextFile(path));
    std::string line;
    while (std::getline(in, line)) {
        const std::string::size_type equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

// The state letter of a Linux process (R, S, T, ...), read from /proc through drive Z:.
char ProcessState(DWORD pid) {
    const std::string stat = driver::ReadTextFile("Z:\\proc\\" + std::to_string(pid) + "\\stat");
    const std::string::size_type name = stat.rfind(')');
    return name != std::string::npos && name + 2 < stat.size() ? stat[name + 2] : '?';
}

// Starts a Linux program: Wine runs a program named by its path on drive Z: as one.
void RunLinuxProgram(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        ADD_FAILURE() << "cannot run " << command << ": error " << GetLastError();
        return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

void SendSignal(DWORD pid, const char* signal) {
    RunLinuxProgram("Z:\\bin\\kill -" + std::string(signal) + " " + std::to_string(pid));
}

struct HookState {
    std::string text;
    std::function<void()> action;
    WNDPROC original = nullptr;
};
HookState g_hook;

LRESULT CALLBACK NotesWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The Wine seat that the test runs on (tests/fixtures/wine-seat.sh): "1" where none is named.
std::string WineSeat() {
    const std::string seat = driver::EnvironmentValue("TARN_WINE_SEAT");
    return seat.empty() ? "1" : seat;
}

} // namespace

const TestbedServers& TestbedServers::Get() {
    static const TestbedServers servers = [] {
        TestbedServers read;
        const std::string path = driver::TestbedDir() + "\\slapd\\testbed.txt";
        read.values_ = ReadKeyValueFile(path);
        if (read.values_.empty())
            ADD_FAILURE() << "no directory servers described in " << path
                          << ": the slapd fixture has not run";
        // The other server families, where their fixtures run; a test that asks for one of
        // their facts fails when it is missing.
        for (const char* family : {"dirsrv", "samba"}) {
            const std::map<std::string, std::string> more =
                ReadKeyValueFile(driver::TestbedDir() + "\\" + family + "\\testbed.txt");
            read.values_.insert(more.begin(), more.end());
        }
        // The instances of the test's Wine seat, which no test of another seat pauses.
        for (const auto& [key, value] :
             ReadKeyValueFile(driver::TestbedDir() + "\\slapd\\seat-" + WineSeat() + ".txt"))
            read.values_[key] = value;
        return read;
    }();
    return servers;
}

std::string TestbedServers::Fact(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        ADD_FAILURE() << "the test bed's directory servers do not tell " << key;
        return std::string();
    }
    return found->second;
}

int TestbedServers::Number(const std::string& key) const {
    return std::atoi(Fact(key).c_str());
}

int TestbedServers::Port(const std::string& instance) const {
    return Number(instance + ".port");
}

DWORD TestbedServers::Pid(const std::string& instance) const {
    return static_cast<DWORD>(std::strtoul(Fact(instance + ".pid").c_str(), nullptr, 10));
}

// Pauses so far. A hook on the viewer's thread may pause the server again as soon as it has
// answered the program, before a look at its state could see it going on.
namespace {
std::atomic<int> g_pauses{0};
} // namespace

void PauseServer(DWORD pid) {
    ++g_pauses;
    SendSignal(pid, "STOP");
    if (!driver::PollUntil([pid] { return ProcessState(pid) == 'T'; }, 5000))
        ADD_FAILURE() << "slapd " << pid << " did not stop (state " << ProcessState(pid) << ")";
}

void KillServer(DWORD pid) {
    SendSignal(pid, "KILL");
    if (!driver::PollUntil(
            [pid] {
                const char state = ProcessState(pid);
                return state == '?' || state == 'Z';
            },
            5000))
        ADD_FAILURE() << "server " << pid << " did not end (state " << ProcessState(pid) << ")";
}

OwnSlapd::OwnSlapd(const std::string& name, const std::string& options) {
    const std::string testbed = driver::EnvironmentValue("TARN_TESTBED_DIR");
    // Tests on other Wine seats run beside this one and may start a server of the same name.
    dir_ = testbed + "/slapd/" + name + "-" + WineSeat();
    script_ = driver::EnvironmentValue("TARN_SOURCE_DIR") + "/tests/fixtures/slapd.sh";
    const std::string portFile = driver::WindowsPath(dir_ + "/port");
    const std::string pidFile = driver::WindowsPath(dir_ + "/pid");
    DeleteFileA(portFile.c_str());
    DeleteFileA(pidFile.c_str());
    RunScript("start " + dir_ + " " + testbed + "/slapd/data " + options);
    if (!driver::PollUntil([&] { return !driver::ReadTextFile(pidFile).empty(); }, 30000)) {
        ADD_FAILURE() << "slapd did not start in " << dir_;
        return;
    }
    port_ = std::atoi(driver::ReadTextFile(portFile).c_str());
    pid_ = static_cast<DWORD>(std::strtoul(driver::ReadTextFile(pidFile).c_str(), nullptr, 10));
    tlsPort_ = std::atoi(driver::ReadTextFile(driver::WindowsPath(dir_ + "/tlsport")).c_str());
}

OwnSlapd::~OwnSlapd() {
    RunScript("stop " + dir_);
    const std::string pidFile = driver::WindowsPath(dir_ + "/pid");
    if (!driver::PollUntil([&] { return driver::ReadTextFile(pidFile).empty(); }, 15000))
        ADD_FAILURE() << "slapd in " << dir_ << " did not stop";
}

void OwnSlapd::RunScript(const std::string& arguments) const {
    RunLinuxProgram("Z:\\bin\\sh " + script_ + " " + arguments);
}

void ResumeServer(DWORD pid) {
    const int pauses = g_pauses;
    SendSignal(pid, "CONT");
    if (!driver::PollUntil([pid, pauses] { return ProcessState(pid) != 'T' || g_pauses != pauses; },
                           5000))
        ADD_FAILURE() << "slapd " << pid << " did not go on";
}

std::string TestbedTlsFile(const std::string& name) {
    return driver::WindowsPath(driver::EnvironmentValue("TARN_TESTBED_DIR") + "/slapd/tls/" + name);
}

// The store is closed after the change: a registry store writes its changes when closed.
TrustedAuthority::TrustedAuthority() : der_(driver::ReadTextFile(TestbedTlsFile("ca.cer"))) {
    const HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store || der_.empty() ||
        !CertAddEncodedCertificateToStore(
            store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der_.data()),
            static_cast<DWORD>(der_.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        ADD_FAILURE() << "the test bed's authority could not be trusted: error " << GetLastError();
    if (store)
        CertCloseStore(store, 0);
}

// The certificate's own registry key goes: Wine's store does not write a deletion back.
TrustedAuthority::~TrustedAuthority() {
    const PCCERT_CONTEXT ours =
        CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der_.data()),
                                     static_cast<DWORD>(der_.size()));
    BYTE hash[20];
    DWORD size = sizeof hash;
    if (!ours || !CertGetCertificateContextProperty(ours, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
        ADD_FAILURE() << "the test bed's authority stays trusted";
    } else {
        std::string key = "Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
        for (DWORD i = 0; i < size; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02X", hash[i]);
            key += digits;
        }
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key.c_str()))
            << "the test bed's authority stays trusted";
    }
    if (ours)
        CertFreeCertificateContext(ours);
}

TraceHook::TraceHook(HWND viewer, std::string text, std::function<void()> action)
    : viewer_(viewer) {
    g_hook.text = std::move(text);
    g_hook.action = std::move(action);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(viewer_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HookProc)));
    g_hook.original = original_;
}

TraceHook::~TraceHook() {
    SetWindowLongPtrA(viewer_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    g_hook = HookState();
}

LRESULT CALLBACK TraceHook::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && lParam) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(data->lpData);
        if (bytes && data->cbData > 0 &&
            std::string(bytes, strnlen(bytes, data->cbData)) == g_hook.text && g_hook.action)
            g_hook.action();
    }
    return CallWindowProcA(g_hook.original, window, message, wParam, lParam);
}

NotesMainWindow::NotesMainWindow(const RECT& place) {
    std::promise<HWND> created;
    std::future<HWND> window = created.get_future();
    thread_ = std::thread([place, &created] {
        WNDCLASSA notesClass = {};
        notesClass.lpfnWndProc = NotesWindowProc;
        notesClass.hInstance = GetModuleHandleA(nullptr);
        notesClass.lpszClassName = "NOTES";
        RegisterClassA(&notesClass);
        const HWND hwnd =
            CreateWindowExA(0, "NOTES", "Lotus Notes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left,
                            place.top, place.right - place.left, place.bottom - place.top, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
        created.set_value(hwnd);
        if (!hwnd)
            return;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    });
    window_ = window.get();
    if (!window_)
        ADD_FAILURE() << "cannot create the NOTES window: error " << GetLastError();
}

NotesMainWindow::~NotesMainWindow() {
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable())
        thread_.join();
}

DownloadRun::DownloadRun(const std::string& name) : name_(name) {
    ResetProductRegistry();
    program_ = MakeProgramFolder(name, "TARNBOOK.exe");
    notes_ = MakeNotesInstall(name);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesDllPath", notes_.dllPath);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath", notes_.iniPath);
}

DownloadRun::~DownloadRun() {
    if (process_.IsRunning()) {
        ADD_FAILURE() << "TARNBOOK.exe was still running at the end of the test";
        process_.Kill();
    }
    ResetProductRegistry();
}

void DownloadRun::UseDirectory(int port, const std::string& searchBase, const std::string& host) {
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", host);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber", std::to_string(port));
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase", searchBase);
}

void DownloadRun::UseBridge(const std::string& file) {
    CopyTestFile(driver::BinDir() + "\\" + file, program_.dir + "\\tarnhook.dll");
}

std::vector<LoggedCall> DownloadRun::Records() const {
    std::vector<LoggedCall> records;
    for (const LoggedCall& call : Calls()) {
        if (call.name == "AddNewAddressBookRecord" || call.name == kRecordExport)
            records.push_back(call);
    }
    return records;
}

void DownloadRun::WriteNotesIni(const std::string& body) {
    WriteWholeFile(notes_.iniPath, body);
}

void DownloadRun::ForgetCalls() const {
    DeleteFileA(program_.bridgeLog.c_str());
}

void DownloadRun::SeedAddressBook(const std::vector<std::string>& records) {
    std::string content = "LastName,FirstName,PhoneNumber,MailAddress\r\n";
    for (const std::string& record : records)
        content += record + "\r\n";
    WriteWholeFile(AddressBookPath(), content);
}

driver::LaunchOptions DownloadRun::Options() const {
    driver::LaunchOptions options;
    options.WorkingDirectory(program_.dir)
        .SetEnvironment("TARNHOOK_LOG", program_.bridgeLog)
        .RemoveEnvironment("TARNHOOK_ADDRESSBOOK");
    options.RecordEvents();
    if (script_.empty())
        options.RemoveEnvironment("TARNHOOK_SCRIPT");
    else
        options.SetEnvironment("TARNHOOK_SCRIPT", script_);
    if (recordDelayMs_ == 0)
        options.RemoveEnvironment("TARNHOOK_RECORD_DELAY_MS");
    else
        options.SetEnvironment("TARNHOOK_RECORD_DELAY_MS", std::to_string(recordDelayMs_));
    return options;
}

bool DownloadRun::StartSilentCopy(driver::Process& copy) const {
    return copy.Start(program_.exe, Options());
}

bool DownloadRun::StartWith(const std::string& arguments) {
    driver::LaunchOptions options = Options();
    options.Arguments(arguments);
    return process_.Start(program_.exe, options);
}

bool DownloadRun::Start(bool interactive) {
    driver::LaunchOptions options = Options();
    if (interactive)
        options.Arguments("/settings");
    if (!process_.Start(program_.exe, options))
        return false;
    if (!interactive)
        return true;

    driver::WindowMatch settings;
    settings.test = [](HWND window) { return driver::Item(window, IDC_HOST_NAME) != nullptr; };
    settings.kind = "the settings dialog";
    const HWND dialog = driver::WaitForWindow(process_, settings);
    if (!dialog)
        return false;
    driver::PressButton(dialog, IDOK);
    return driver::WaitForWindowGone(dialog);
}

void DownloadRun::FinishWithoutMessageBox(DWORD timeoutMs) {
    const bool ended = driver::PollUntil(
        [this] {
            for (HWND window : driver::VisibleWindowsOf(process_.Id())) {
                if (!driver::IsMessageBox(window))
                    continue;
                const driver::MessageBoxInfo box = driver::ReadMessageBox(window);
                ADD_FAILURE() << "a silent run showed the message box \"" << box.caption
                              << "\": " << box.text;
                driver::PressButton(window, IDOK);
            }
            return !process_.IsRunning();
        },
        timeoutMs);
    if (!ended) {
        ADD_FAILURE() << "TARNBOOK.exe did not end within " << timeoutMs << " ms";
        process_.Kill();
    }
}

void DownloadRun::WaitForExit(DWORD timeoutMs) {
    if (!process_.WaitForExit(timeoutMs)) {
        ADD_FAILURE() << "TARNBOOK.exe did not end; windows on screen: "
                      << driver::DescribeWindows(driver::VisibleWindowsOf(process_.Id()));
        process_.Kill();
    }
}

std::string DownloadRun::AddressBook() const {
    return driver::ReadTextFile(AddressBookPath());
}

std::vector<std::string> DownloadRun::AddressBookRecords() const {
    std::vector<std::string> records;
    std::istringstream in(AddressBook());
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header && !line.empty())
            records.push_back(line);
        header = false;
    }
    return records;
}

std::vector<LoggedCall> DownloadRun::Calls() const {
    return ReadBridgeLog(program_.bridgeLog);
}

std::vector<driver::TraceLine> DownloadRun::Traces() const {
    std::vector<driver::TraceLine> lines = viewer_.Lines();
    auto start = lines.begin();
    while (start != lines.end() &&
           !(start->text == "DownloadAddressBook" && start->colour == kBlue))
        ++start;
    lines.erase(lines.begin(), start);
    return lines;
}

std::vector<std::string> DownloadRun::Traced(DWORD colour) const {
    std::vector<std::string> texts;
    for (const driver::TraceLine& line : Traces()) {
        if (line.colour == colour)
            texts.push_back(line.text);
    }
    return texts;
}

std::vector<std::string> MailsOf(const std::vector<LoggedCall>& records) {
    std::vector<std::string> mails;
    for (const LoggedCall& record : records)
        mails.push_back(record.args.size() > 3 ? record.args[3] : "(no mail)");
    return mails;
}

std::vector<std::string> SortedMailsOf(const std::vector<LoggedCall>& records) {
    std::vector<std::string> mails = MailsOf(records);
    std::sort(mails.begin(), mails.end());
    return mails;
}

const LoggedCall* RecordWithMail(const std::vector<LoggedCall>& records, const std::string& mail) {
    for (const LoggedCall& record : records) {
        if (record.args.size() >= 4 && record.args[3] == mail)
            return &record;
    }
    return nullptr;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& each : texts) {
        if (each == text)
            return true;
    }
    return false;
}

const LoggedProgress* ProgressAt(const LoggedCall& call) {
    const LoggedWindow* window = call.WindowWithItem(IDC_PROGRESS_BAR);
    return window && !window->progress.empty() ? &window->progress.front() : nullptr;
}

std::string LdapText(unsigned long code) {
    const char* text = ldap_err2stringA(code);
    return text ? text : "";
}

ULONGLONG ClockNow() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void ExpectEndedWithinTheBound(const driver::Process& program, ULONGLONG since,
                               unsigned boundSeconds) {
    FILETIME created = {}, ended = {}, kernel = {}, user = {};
    ASSERT_TRUE(GetProcessTimes(program.NativeHandle(), &created, &ended, &kernel, &user))
        << "error " << GetLastError();
    ASSERT_TRUE(program.ExitCode().has_value()) << "the program still runs";
    const ULONGLONG exit =
        (static_cast<ULONGLONG>(ended.dwHighDateTime) << 32) | ended.dwLowDateTime;
    const double seconds = exit >= since ? static_cast<double>(exit - since) / 1e7 : 0.0;
    EXPECT_LE(seconds, boundSeconds + 1.0)
        << "the program ended " << seconds << " s after the server fell silent; its bound is "
        << boundSeconds << " s";
}

HWND WindowWithItem(DWORD processId, int id) {
    for (HWND window : driver::VisibleWindowsOf(processId)) {
        if (driver::Item(window, id))
            return window;
    }
    return nullptr;
}

HWND WaitForItemText(const driver::Process& process, int id, const std::string& text) {
    driver::WindowMatch match;
    match.test = [id, text](HWND window) { return driver::ItemText(window, id) == text; };
    match.kind = "a window whose item " + std::to_string(id) + " shows \"" + text + "\"";
    return driver::WaitForWindow(process, match);
}

DirectoryAdmin::DirectoryAdmin(int port, const std::string& account, const std::string& password) {
    LDAP* session = ldap_initA(const_cast<PCHAR>("127.0.0.1"), static_cast<ULONG>(port));
    if (!session) {
        ADD_FAILURE() << "no LDAP session to port " << port;
        return;
    }
    ULONG version = LDAP_VERSION3;
    ldap_set_option(session, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(session, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    const ULONG bound = ldap_simple_bind_sA(session, const_cast<PCHAR>(account.c_str()),
                                            const_cast<PCHAR>(password.c_str()));
    EXPECT_EQ(bound, static_cast<ULONG>(LDAP_SUCCESS)) << "binding as " << account;
    session_ = session;
}

DirectoryAdmin::~DirectoryAdmin() {
    if (session_)
        ldap_unbind(static_cast<LDAP*>(session_));
}

void DirectoryAdmin::Add(const std::string& dn, const std::vector<std::string>& attributes) {
    // One modification per attribute name, its values in the order given.
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> names;
    for (const std::string& pair : attributes) {
        const std::string name = pair.substr(0, pair.find('='));
        if (values.find(name) == values.end())
            names.push_back(name);
        values[name].push_back(pair.substr(pair.find('=') + 1));
    }
    std::vector<std::vector<PCHAR>> lists;
    std::vector<LDAPModA> mods(names.size());
    std::vector<LDAPModA*> pointers;
    for (size_t i = 0; i < names.size(); ++i) {
        lists.emplace_back();
        for (std::string& value : values[names[i]])
            lists.back().push_back(&value[0]);
        lists.back().push_back(nullptr);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        mods[i].mod_op = LDAP_MOD_ADD;
        mods[i].mod_type = &names[i][0];
        mods[i].mod_vals.modv_strvals = lists[i].data();
        pointers.push_back(&mods[i]);
    }
    pointers.push_back(nullptr);
    EXPECT_EQ(
        ldap_add_sA(static_cast<LDAP*>(session_), const_cast<PCHAR>(dn.c_str()), pointers.data()),
        static_cast<ULONG>(LDAP_SUCCESS))
        << "adding " << dn;
}

void DirectoryAdmin::Replace(const std::string& dn, const std::string& attribute,
                             const std::string& value) {
    std::string text = value;
    PCHAR values[] = {&text[0], nullptr};
    LDAPModA change = {LDAP_MOD_REPLACE, const_cast<PCHAR>(attribute.c_str()), {values}};
    LDAPModA* changes[] = {&change, nullptr};
    EXPECT_EQ(ldap_modify_sA(static_cast<LDAP*>(session_), const_cast<PCHAR>(dn.c_str()), changes),
              static_cast<ULONG>(LDAP_SUCCESS))
        << "changing " << attribute << " of " << dn;
}

void DirectoryAdmin::Delete(const std::string& dn) {
    EXPECT_EQ(ldap_delete_sA(static_cast<LDAP*>(session_), const_cast<PCHAR>(dn.c_str())),
              static_cast<ULONG>(LDAP_SUCCESS))
        << "deleting " << dn;
}

void DirectoryAdmin::Rename(const std::string& dn, const std::string& newName,
                            const std::string& newParent) {
    EXPECT_EQ(ldap_rename_ext_sA(static_cast<LDAP*>(session_), const_cast<PCHAR>(dn.c_str()),
                                 const_cast<PCHAR>(newName.c_str()),
                                 newParent.empty() ? nullptr : const_cast<PCHAR>(newParent.c_str()),
                                 TRUE, nullptr, nullptr),
              static_cast<ULONG>(LDAP_SUCCESS))
        << "renaming " << dn << " to " << newName << " below " << newParent;
}

Logon RunLogon(DownloadRun& run, const RecordingRelay& relay, const std::string& base) {
    Logon logon;
    run.ForgetCalls();
    const size_t before = LdapSearches(relay.Sent()).size();
    if (!run.Start(false)) {
        logon.book = "not started";
        return logon;
    }
    run.FinishWithoutMessageBox();
    const std::optional<DWORD> code = run.Program().ExitCode();
    logon.refreshed = code && *code == 0;
    LoggedEvent event;
    if (LeftOneEvent(run.Program(), event))
        logon.event = event.id & 0xFFFF;
    const std::vector<LdapSearchRequest> searches = LdapSearches(relay.Sent());
    for (size_t i = before; i < searches.size(); ++i) {
        if (searches[i].scope == LDAP_SCOPE_SUBTREE &&
            _stricmp(searches[i].base.c_str(), base.c_str()) == 0)
            ++logon.wholeSearches;
    }
    const std::vector<LoggedCall> calls = run.Calls();
    const bool emptied = !CallsNamed(calls, "DeleteAll").empty();
    const bool written = !CallsNamed(calls, kRecordExport).empty();
    logon.book = emptied && written ? "whole" : !emptied && !written ? "alone" : "partly";
    return logon;
}

std::vector<std::string> LastRunTraced(const DownloadRun& run, DWORD colour) {
    const std::vector<driver::TraceLine> lines = run.Traces();
    size_t start = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text == "DownloadAddressBook" && lines[i].colour == kBlue)
            start = i;
    }
    std::vector<std::string> texts;
    for (size_t i = start; i < lines.size(); ++i) {
        if (lines[i].colour == colour)
            texts.push_back(lines[i].text);
    }
    return texts;
}
