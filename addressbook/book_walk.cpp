// The walk: from the plan of what a book would hold on, the records of a directory search or of a
// published book written into the open address book, with the same guards and trace lines for
// both.
#include "tarnbook_app.h"

#include "book_plan.h"
#include "bridge_binding.h"
#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "download_notices.h"
#include "mail_address.h"
#include "message_pump.h"
#include "progress/progress_dlg.h"
#include "record_writer.h"
#include "refresh/book_digest.h"
#include "refresh/last_refresh.h"
#include "refresh/record_owner.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "source/local_copy.h"
#include "trace.h"
#include "unicode_text.h"

#include <string>

namespace {

// How often a long walk stops to answer its windows' messages: well within the few seconds
// after which the platform counts a window that takes none as not responding.
constexpr DWORD kAnswerIntervalMs = 250;

} // namespace

int CTarnbookApp::WriteBook(EntryRecords& records, ULONG code, bool fromDirectory) {
    const std::string caption = LoadResourceText(IDS_PROGRESS_CAPTION);
    CProgressDlg progress(nullptr);
    progress.SetWindowText(caption);
    const std::string progressText = LoadResourceText(IDS_PROGRESS_TEXT);
    progress.CenterOnDesktop();
    progress.ShowWindow(SW_SHOW);
    progress.SetText(progressText);
    progress.SetRange(0, 0);
    progress.SetStep(1);

    const ULONG count = records.Count();
    if (count == 0) {
        Report(LoadResourceText(IDS_NO_ENTRIES), caption);
        Trace(("ServerName: " + m_strHostName + ", PortNumber: " + std::to_string(m_nPortNumber))
                  .c_str(),
              kTraceBlue);
        Trace(("SearchBase: " + CodePageFromUtf8(m_strSearchBase) +
               ", NumberOfEntries: " + std::to_string(static_cast<int>(count)))
                  .c_str(),
              kTraceBlue);
        return 0;
    }
    // A search that the server closed with any other code than success, after entries (a
    // size, time or administrative limit, a paged search stopped early), still writes what it
    // returned, but an incomplete address book must not pass unnoticed: the code is traced in
    // red and the user is told after the walk; in silent mode that notice is the red line
    // itself.
    const bool cut = code != LDAP_SUCCESS;
    if (cut && !m_bSilent)
        TraceFailure(LdapErrorText(code));
    m_nEntries = count;
    RecordWriter writer(g_bridge);
    // Everything the records would be is known before the book is touched.
    const BookPlan plan = PlanBook(records, writer);
    if (!AcceptBookPlan(plan, count, caption))
        return 0;
    if (!cut && plan.unwritable.empty() && fromDirectory && IsBookUnchanged(records))
        return 1;
    if (IsBookShrinking(plan.records))
        return 0;
    progress.SetRange(0, static_cast<int>(count));
    // No record of a whole refresh, and no local copy of a published book, may outlive the
    // book it describes: a copy that stays would have a later run take this book for the
    // publication's version, so the book is left as it is.
    std::string why;
    if (!ForgetLocalCopy(why)) {
        Report("The local copy of the published book cannot be set aside: " + why +
                   ". It would describe a book that this run replaces, so the address book was "
                   "not changed.",
               caption);
        m_nExitStatus = kBookUnchanged;
        return 0;
    }
    BeginWholeRefresh();
    g_bridge.DeleteAll(0);
    m_nExitStatus = kBookIncomplete; // until every entry has been written
    bool complete = code == LDAP_SUCCESS && plan.unwritable.empty();
    BookDigest digest = NewBookDigest();

    bool refused = false;
    EntryRecord record;
    // The walk runs on the progress window's thread: its messages are answered now and then.
    MessagesNowAndThen answering(kAnswerIntervalMs);
    for (EntryRecords::Cursor entries(records); !refused && entries.Next(record);) {
        if (!writer.IsUnwritable(record) && record.hasMail && IsMailAddress(record.mail)) {
            refused = writer.Write(record) == 0;
            if (!refused) {
                ++m_nRecordsWritten;
                digest.AddRecord(record.lastName, record.firstName, record.phone, record.mail);
            }
        }
        if (refused)
            Report(RecordRefusedText(ShownText(record.mail)), caption);
        else
            progress.StepIt();
        answering.Answer();
        m_runLock.StillAtWork();
    }
    records = EntryRecords();

    // The records are written; now the user learns that the directory held more.
    if (cut && !refused) {
        Report(code == LDAP_TIMEOUT
                   ? ServerSilentCutText(m_strHostName, m_nPortInUse, kServerAnswerSeconds, count)
                   : SearchCutText(count, LdapErrorText(code)),
               caption);
    } else if (cut && m_bSilent) {
        TraceFailure(LdapErrorText(code));
    }
    // Every entry the search gave that could be written was: the guard's count, kept whether
    // ShrinkLimit is set or not, so that it is there once it is.
    if (code == LDAP_SUCCESS && !refused)
        RememberShrinkCount(m_nRecordsWritten);
    if (complete && !refused)
        m_nExitStatus = kBookRefreshed;
    // A book from a publication is on record in the local copy its caller keeps.
    if (complete && !refused && fromDirectory) {
        LastRefresh whole;
        whole.digest = digest.Finish();
        // The marker read before the search: a change made during it is seen next time.
        whole.marker = m_strMarker;
        whole.records = digest.Records();
        whole.time = CurrentTicks();
        whole.owner = CurrentRecordOwner();
        RememberLastRefresh(whole);
    }
    return 1;
}

int CTarnbookApp::IsMailAddress(const std::string& mail) {
    if (IsInternetMailAddress(mail))
        return 1;
    Trace(("Voxtarion address:" + ShownText(mail)).c_str(), kTraceBlue);
    return 0;
}
