// What the end-to-end tests of the address book download share: the test bed's directory
// servers, one run of TARNBOOK.exe against them with a stand-in Notes installation, the
// bridge's call log and address book, and the trace lines the run sent to the viewer.
#ifndef TARN_DOWNLOAD_SESSION_H
#define TARN_DOWNLOAD_SESSION_H

#include "bridge_log.h"
#include "recording_relay.h"
#include "process.h"
#include "resource_texts.h"
#include "test_install.h"
#include "trace_viewer.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>
#include <thread>
#include <vector>

constexpr DWORD kBlue = 0xFF0000;
constexpr DWORD kRed = 255;
// The export the download writes its records through where the bridge has it, as the
// reference bridge does; a bridge without it gets AddNewAddressBookRecord.
constexpr char kRecordExport[] = "AddNewAddressBookRecordW";
// How long a run may take; a run that waits for a silent server needs that wait on top.
constexpr DWORD kRunTimeoutMs = 30000;

// The private slapd instances that slapd-testbed.sh started, as TARN_TESTBED_DIR/slapd/
// testbed.txt describes them: "directory" (anonymous read), "closed" (refuses anonymous
// binds), "pausable" (may be stopped and continued; each Wine seat has its own, in
// slapd/seat-<seat>.txt), and facts about the generated data;
// beside them, where their fixtures ran, 389 Directory Server ("dirsrv") and Samba's Active
// Directory domain controller ("samba"), from their own testbed.txt.
class TestbedServers {
  public:
    static const TestbedServers& Get();
    int Port(const std::string& instance) const;
    DWORD Pid(const std::string& instance) const;
    // A line of the data's facts, e.g. Fact("base.people"); fails the test when missing.
    std::string Fact(const std::string& key) const;
    int Number(const std::string& key) const;

  private:
    std::map<std::string, std::string> values_;
};

// Stops a slapd process (SIGSTOP) or lets it go on (SIGCONT), and waits until it has.
// A stopped server still accepts connections, so a program's request waits for its answer.
void PauseServer(DWORD pid);
void ResumeServer(DWORD pid);
// Ends a server at once (SIGKILL), as a crash would, and waits until it is gone.
void KillServer(DWORD pid);

// A private slapd of the test's own, serving the test bed's data, for a test that ends it or,
// started with "--writable", changes it:
// started in TARN_TESTBED_DIR/slapd/<name>-<Wine seat> when constructed, stopped when destroyed.
class OwnSlapd {
  public:
    // options: what slapd.sh takes after the data, e.g. "--tls".
    explicit OwnSlapd(const std::string& name, const std::string& options = std::string());
    ~OwnSlapd();
    OwnSlapd(const OwnSlapd&) = delete;
    OwnSlapd& operator=(const OwnSlapd&) = delete;
    int Port() const { return port_; }
    DWORD Pid() const { return pid_; }
    // The LDAPS port of a server started with --tls.
    int TlsPort() const { return tlsPort_; }

  private:
    // Runs the fixture script slapd.sh with arguments, as a Linux program.
    void RunScript(const std::string& arguments) const;
    std::string dir_;
    std::string script_;
    int port_ = 0;
    int tlsPort_ = 0;
    DWORD pid_ = 0;
};

// The test bed's certificate authority (tls-certs.sh, in TARN_TESTBED_DIR/slapd/tls) in the
// machine's trusted root store, for the object's lifetime.
class TrustedAuthority {
  public:
    TrustedAuthority();
    ~TrustedAuthority();
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;

  private:
    std::string der_;
};

// A file of the test bed's certificate authority folder: "server.crt", "ca.cer".
std::string TestbedTlsFile(const std::string& name);

// Runs an action on the trace viewer's thread when the program sends a given line, before the
// program's send returns: the program waits at that line until the action is done.
class TraceHook {
  public:
    TraceHook(HWND viewer, std::string text, std::function<void()> action);
    ~TraceHook();
    TraceHook(const TraceHook&) = delete;
    TraceHook& operator=(const TraceHook&) = delete;

  private:
    static LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND viewer_;
    WNDPROC original_;
};

// A top-level window of class "NOTES", as the Lotus Notes main window, on a thread of its own
// that keeps pumping messages.
class NotesMainWindow {
  public:
    explicit NotesMainWindow(const RECT& place);
    ~NotesMainWindow();
    NotesMainWindow(const NotesMainWindow&) = delete;
    NotesMainWindow& operator=(const NotesMainWindow&) = delete;
    HWND Window() const { return window_; }

  private:
    std::thread thread_;
    HWND window_ = nullptr;
};

// One run of TARNBOOK.exe: its own program folder and Notes installation, the product's
// registry values pointing at them and at a directory server, a trace viewer, and the
// bridge's call log.
class DownloadRun {
  public:
    explicit DownloadRun(const std::string& name);
    ~DownloadRun();

    // HostName, PortNumber and SearchBase of the product key, per user.
    void UseDirectory(int port, const std::string& searchBase,
                      const std::string& host = "127.0.0.1");
    void UseBridgeScript(const std::string& script) { script_ = script; }
    // Each record takes the bridge this long to write.
    void UseSlowBridge(DWORD milliseconds) { recordDelayMs_ = milliseconds; }
    void WriteNotesIni(const std::string& body);
    // The address book before the run: the header line and these record lines.
    void SeedAddressBook(const std::vector<std::string>& records);
    // Forgets the bridge's calls of the runs so far, for a test that runs the program again.
    void ForgetCalls() const;

    // Starts the program: silent with an empty command line, else interactive, where the
    // settings dialog is confirmed with OK.
    bool Start(bool interactive);
    // Waits for a silent run to end; every message box it shows fails the test.
    void FinishWithoutMessageBox(DWORD timeoutMs = kRunTimeoutMs);
    void WaitForExit(DWORD timeoutMs = kRunTimeoutMs);
    // Starts the program with a command line of the test's own, e.g. "-publish C:\\Book".
    bool StartWith(const std::string& arguments);
    // Starts a second silent run of the same program with the same settings as copy.
    bool StartSilentCopy(driver::Process& copy) const;

    driver::Process& Program() { return process_; }
    HWND Viewer() const { return viewer_.Window(); }
    const NotesInstall& Notes() const { return notes_; }
    std::string AddressBookPath() const { return notes_.dataDir + "\\names.csv"; }
    std::string AddressBook() const;
    // The record lines of the address book, without its header line.
    std::vector<std::string> AddressBookRecords() const;

    std::vector<LoggedCall> Calls() const;
    // The record calls, through either export.
    std::vector<LoggedCall> Records() const;
    // The bridge the program loads: a file of the bin folder (a variant that lacks an export),
    // copied into the program folder as tarnhook.dll.
    void UseBridge(const std::string& file);
    // The lines the download traced: from its first line, "DownloadAddressBook", on. (The
    // start-up before it has its own traces, such as a settings key missing under one root.)
    std::vector<driver::TraceLine> Traces() const;
    // Every line the viewer received, the start-up's and any other program's included.
    std::vector<driver::TraceLine> AllTraces() const { return viewer_.Lines(); }
    const std::string& ProgramDir() const { return program_.dir; }
    // The texts of those lines in one colour, in order.
    std::vector<std::string> Traced(DWORD colour) const;

  private:
    driver::LaunchOptions Options() const;
    std::string name_;
    DWORD recordDelayMs_ = 0;
    ProgramFolder program_;
    NotesInstall notes_;
    std::string script_;
    driver::TraceViewer viewer_;
    driver::Process process_;
};

// The mail arguments of record calls, in their order; sorted.
std::vector<std::string> MailsOf(const std::vector<LoggedCall>& records);
std::vector<std::string> SortedMailsOf(const std::vector<LoggedCall>& records);
// The record of the call whose mail argument is mail, or nothing.
const LoggedCall* RecordWithMail(const std::vector<LoggedCall>& records, const std::string& mail);
bool Contains(const std::vector<std::string>& texts, const std::string& text);
// The progress bar as the bridge saw it at a call: the window holding item 792, or nullptr.
const LoggedProgress* ProgressAt(const LoggedCall& call);
// The library's text for a result code.
std::string LdapText(unsigned long code);
// Lets a paused server go on at the end of a test, whatever happened.
class ServerResumer {
  public:
    explicit ServerResumer(DWORD pid) : pid_(pid) {}
    ~ServerResumer() { ResumeServer(pid_); }
    ServerResumer(const ServerResumer&) = delete;
    ServerResumer& operator=(const ServerResumer&) = delete;

  private:
    DWORD pid_;
};
// Now, on the system clock that a program's exit time is read from (100 ns units).
ULONGLONG ClockNow();
// Checks that the program ended within boundSeconds, its bound on a silent server, plus a second
// of since (ClockNow() when the server fell silent), measured to the process's own exit time.
void ExpectEndedWithinTheBound(const driver::Process& program, ULONGLONG since,
                               unsigned boundSeconds);

// A directory's administrator at work between two runs: each change, made as the account
// given over plain LDAP, fails the test where the server refuses it.
class DirectoryAdmin {
  public:
    DirectoryAdmin(int port, const std::string& account, const std::string& password);
    ~DirectoryAdmin();
    DirectoryAdmin(const DirectoryAdmin&) = delete;
    DirectoryAdmin& operator=(const DirectoryAdmin&) = delete;
    // attributes: "name=value" pairs, objectClass among them.
    void Add(const std::string& dn, const std::vector<std::string>& attributes);
    void Replace(const std::string& dn, const std::string& attribute, const std::string& value);
    void Delete(const std::string& dn);
    // A new name, and where given a new parent.
    void Rename(const std::string& dn, const std::string& newName,
                const std::string& newParent = std::string());

  private:
    void* session_ = nullptr;
};

// What one silent logon with Refresh changed did, seen through a relay in front of the server.
struct Logon {
    int wholeSearches = 0;  // subtree searches of the search base: the download's, not a probe's
    std::string book;       // "whole": emptied and written; "alone": neither; else "partly"
    bool refreshed = false; // ended with exit status 0
    DWORD event = 0;        // the run's event: 1000 refreshed, 1001 left alone
};
Logon RunLogon(DownloadRun& run, const RecordingRelay& relay, const std::string& base);
// The texts the last run of run traced in one colour: from its "DownloadAddressBook" on.
std::vector<std::string> LastRunTraced(const DownloadRun& run, DWORD colour);

// The visible window of the process that holds item id, or nullptr.
HWND WindowWithItem(DWORD processId, int id);
// Waits for a window of the process whose item id shows text.
HWND WaitForItemText(const driver::Process& process, int id, const std::string& text);

#endif
