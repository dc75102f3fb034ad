#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "command_line.h"
#include "download_notices.h"
#include "library_search.h"
#include "notes_discovery.h"
#include "password/set_bind_password.h"
#include "publish/publish_command.h"
#include "refresh/last_refresh.h"
#include "refresh/shrink_guard.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "trace.h"
#include "unicode_text.h"

CTarnbookApp::CTarnbookApp() = default;

bool CTarnbookApp::InitInstance() {
    const HINSTANCE resources = LoadResourceImage(kResourceLibraryName);
    if (!resources) {
        TraceFailure("Load Resource dll failed");
        return false;
    }
    SetResourceModule(resources);

    // Only this exact argument stores the bind password; any other keeps meaning interactive.
    // The blanks a shell leaves behind a redirection do not count.
    if (IsSetBindPasswordCommand(CommandLine())) {
        m_bPasswordCommand = true;
        m_nExitStatus = SetBindPassword() ? kPasswordStored : kPasswordNotStored;
        return false;
    }
    // TARNBOOK -publish FOLDER publishes the book; the folder may hold any character.
    const wchar_t* arguments = CommandLineTail(GetCommandLineW());
    std::string folder;
    if (ParsePublishCommand(Utf8FromWide(arguments, wcslen(arguments)), folder)) {
        PublishBook(folder);
        return false;
    }
    m_bSilent = CommandLine().empty() ? 1 : 0;
    if (!TakeRunLock())
        return false;

    GetUserInfo(HKEY_LOCAL_MACHINE);
    GetUserInfo(HKEY_CURRENT_USER);
    GetPolicyInfo();
    std::string problem;
    m_refresh = ParseRefreshRule(m_strRefresh, m_strRefreshDays, problem);
    if (!problem.empty())
        Trace(problem.c_str(), kTraceRed);
    m_refresh.delay = ParseRefreshDelay(m_strRefreshDelay, problem);
    if (!problem.empty())
        Trace(problem.c_str(), kTraceRed);
    // Only a silent run waits before its download.
    m_runLock.SetBound(LockBoundSeconds(m_bSilent ? m_refresh.delay : 0));
    m_nShrinkLimit = ParseShrinkLimit(m_bookSettings.shrinkLimit, problem);
    if (!problem.empty())
        Trace(problem.c_str(), kTraceRed);
    if (!m_bSilent && !EditUserInfo()) {
        m_bSettingsCancelled = true;
        return false;
    }

    // Until Notes and the directory have answered, an ending means they could not be reached.
    m_nExitStatus = kBookUnreachable;
    if (!InitLotus()) {
        m_failed = Failed::Notes;
        return false;
    }
    DownloadAddressBook();
    CloseLotus();
    return false;
}

int CTarnbookApp::InitLotus() {
    Trace("CTarnbookApp::InitLotus()", kTraceBlue);
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);

    if (!FindNotesDll()) {
        const std::string question = LoadResourceText(IDS_NOTES_NOT_FOUND);
        m_strProblem = question;
        if (m_bSilent) {
            TraceFailure(question);
            return 0;
        }
        if (MessageBoxA(nullptr, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_SYSTEMMODAL) !=
            IDOK)
            return 0;
        if (!BrowseForNotesDll())
            return 0;
    }

    if (!LoadBridgeLibrary(g_hNotesDll)) {
        Report(FormatResourceText(IDS_LIBRARY_NOT_LOADED, kBridgeLibraryName), caption);
        return 0;
    }

    const char* missing = nullptr;
    auto bind = [&missing](auto& slot, const char* name) {
        if (!missing && !BindBridgeExport(slot, name))
            missing = name;
    };
    bind(g_bridge.InitNotesSession, "InitNotesSession");
    bind(g_bridge.CloseNotesSession, "CloseNotesSession");
    bind(g_bridge.AddNewAddressBookRecord, "AddNewAddressBookRecord");
    bind(g_bridge.OpenAddressBook, "OpenAddressBook");
    bind(g_bridge.CloseAddressBook, "CloseAddressBook");
    bind(g_bridge.DeleteAll, "DeleteAll");
    if (missing) {
        Report(FormatResourceText(IDS_ENTRY_POINT_MISSING, missing), caption);
        return 0;
    }
    // Where the bridge takes records in UTF-16, every record goes that way.
    BindBridgeExport(g_bridge.AddNewAddressBookRecordW, "AddNewAddressBookRecordW");

    if (g_bridge.InitNotesSession() != 0) {
        Report("InitNotesSession failed!", caption);
        return 0;
    }
    return 1;
}

int CTarnbookApp::TakeRunLock() {
    std::string why;
    switch (m_runLock.Take(why)) {
    case RunLock::Outcome::Held:
        break;
    case RunLock::Outcome::Busy:
        if (IsRunLockStuck())
            return 0;
        // Not a failure: the other run refreshes the book.
        m_strProblem = AnotherRunText();
        if (m_bSilent)
            Trace(m_strProblem.c_str(), kTraceBlue);
        else
            MessageBoxA(nullptr, m_strProblem.c_str(),
                        LoadResourceText(IDS_TARNBOOK_CAPTION).c_str(), MB_OK | MB_SYSTEMMODAL);
        return 0;
    case RunLock::Outcome::Unusable:
        Trace(("Nothing keeps another run of this user from refreshing at the same time: " + why +
               ".")
                  .c_str(),
              kTraceBlue);
        break;
    }
    return 1;
}

int CTarnbookApp::IsRunLockStuck() {
    LockHolder holder;
    const std::uint64_t now = CurrentTicks();
    if (!m_runLock.ReadHolder(holder) || !IsLockStuck(holder, now))
        return 0;
    // The run's event names the server this run would have asked.
    GetUserInfo(HKEY_LOCAL_MACHINE);
    GetUserInfo(HKEY_CURRENT_USER);
    GetPolicyInfo();
    NameServerInUse();
    constexpr std::uint64_t kTicksPerMinute = 600000000;
    const std::string text =
        StuckRunText(holder.pid, LocalTimeText(holder.start),
                     static_cast<unsigned long>((now - holder.start) / kTicksPerMinute),
                     (holder.boundSeconds + 59) / 60);
    if (!m_bSilent)
        Trace(text.c_str(), kTraceRed);
    Report(text, LoadResourceText(IDS_TARNBOOK_CAPTION));
    m_nExitStatus = kBookHeldByStuckRun;
    m_failed = Failed::Directory;
    return 1;
}

int CTarnbookApp::SetBindPassword() {
    return StoreBindPasswordFromUser(m_strProblem);
}

void CTarnbookApp::CloseLotus() {
    g_bridge.CloseAddressBook();
    g_bridge.CloseNotesSession();
}

int CTarnbookApp::ExitInstance() {
    ReportRunOutcome();
    if (g_hNotesDll) {
        FreeLibrary(g_hNotesDll);
        g_hNotesDll = nullptr;
    }
    FreeBridgeLibrary();
    ApplicationBase::ExitInstance();
    return m_nExitStatus;
}

void CTarnbookApp::TraceFailure(const std::string& text) {
    m_strProblem = text;
    Trace(text.c_str(), kTraceRed);
}

void CTarnbookApp::Report(const std::string& text, const std::string& caption) {
    m_strProblem = text;
    if (m_bSilent)
        Trace(text.c_str(), kTraceRed);
    else
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SYSTEMMODAL);
}
