// Whether a run with Refresh changed may leave the address book alone: the record of this
// user's last whole refresh and whom it belongs to, the server's change marker and its verdict
// before any search, the digest of a whole search's records after it, and the traces that say
// why the book is left alone or refreshed whole.
#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "connection/connection_notices.h"
#include "download_notices.h"
#include "mail_address.h"
#include "marker/change_marker.h"
#include "notes_discovery.h"
#include "refresh/book_digest.h"
#include "refresh/last_refresh.h"
#include "refresh/record_owner.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "search/directory_search.h"
#include "tarn_version.h"
#include "trace.h"
#include "unicode_text.h"

#include <string>

std::string CTarnbookApp::ReadMarker(const LastRefresh* last, ChangeMarker& read) const {
    // Compared with the naming contexts as the code page reads them.
    const MarkerSource source =
        FindMarkerSource(m_hLdap, CodePageFromUtf8(m_strSearchBase), kServerAnswerSeconds);
    const std::string family = MarkerFamilyName(source.family);
    // The server and the search the marker belongs to, the filter and attributes among them
    // (DirSync's marker counts and asks for them).
    const std::string where = source.server + "\n" + source.namingContext + "\n" + m_strServer +
                              "\n" + m_strSearchBase + "\n" + m_strBoundAccount + "\n" +
                              m_szNotesIniPath + "\n" + m_strMailServer + "\n" + m_request.filter +
                              "\n" + m_request.firstName + "\n" + m_request.lastName + "\n" +
                              m_request.phone + "\n" + m_request.mail;
    const std::string kept = last ? KeptMarkerValue(last->marker, family, where) : "";
    read = ReadChangeMarker(m_hLdap, source, m_request, kept, kServerAnswerSeconds);
    return KeptMarker(family, where, read.value);
}

int CTarnbookApp::IsDirectoryUnchanged() {
    // A record made elsewhere (another computer, Notes installation, bridge or version) holds
    // no marker of this book; the search's own verdict names what differs.
    LastRefresh last;
    const bool onRecord = ReadLastRefresh(last) &&
                          CompareOwner(last.owner, CurrentRecordOwner()) == OwnerChange::None;
    ChangeMarker read;
    m_strMarker = ReadMarker(onRecord ? &last : nullptr, read);
    const MarkerVerdict verdict =
        JudgeMarker(m_refresh, onRecord ? &last : nullptr, m_strMarker, CurrentTicks());
    TraceMarkerVerdict(verdict, last, read.note);
    if (verdict != MarkerVerdict::Unchanged)
        return 0;
    return LeaveBookAlone(last);
}

void CTarnbookApp::TraceMarkerVerdict(MarkerVerdict verdict, const LastRefresh& last,
                                      const std::string& note) const {
    const std::string when = LocalTimeText(last.time);
    const std::string why = note.empty() ? std::string() : " (" + note + ")";
    std::string text;
    switch (verdict) {
    case MarkerVerdict::Unchanged:
        text = "The directory has not changed since the whole refresh of " + when +
               ", which wrote the " + GroupedCount(last.records) +
               " records of this address book: nothing was searched or written (Refresh is "
               "changed).";
        break;
    case MarkerVerdict::Moved:
        text = "The directory server's change marker moved since the whole refresh of " + when +
               why + ": the directory is searched whole.";
        break;
    case MarkerVerdict::Elsewhere:
        text = "The change marker kept with the whole refresh of " + when +
               " belongs to another server or search, or is of another kind: the directory is "
               "searched whole.";
        break;
    case MarkerVerdict::NotKept:
        text = "The whole refresh of " + when +
               " kept no change marker: the directory is searched whole.";
        break;
    case MarkerVerdict::Unreadable:
        text = "The directory server offers no change marker" + why +
               ": the directory is searched whole.";
        break;
    case MarkerVerdict::Due:
    case MarkerVerdict::Unknown:
        return; // the search's own verdict says why
    }
    Trace(text.c_str(), kTraceBlue);
}

BookDigest CTarnbookApp::NewBookDigest() const {
    return BookDigest(m_strServer, m_strSearchBase, m_strBoundAccount, m_szNotesIniPath,
                      m_strMailServer);
}

RecordOwner CTarnbookApp::CurrentRecordOwner() const {
    return FindRecordOwner(g_hNotesDll, g_bridge.library, m_szNotesIniPath, TARN_VERSION_TEXT);
}

int CTarnbookApp::ReadOwnLastRefresh(LastRefresh& last) const {
    if (!ReadLastRefresh(last)) {
        TraceRefreshVerdict(RefreshVerdict::Unknown, last);
        return 0;
    }
    const char* other = "for another address book";
    switch (CompareOwner(last.owner, CurrentRecordOwner())) {
    case OwnerChange::None:
        return 1;
    case OwnerChange::Computer:
        other = "on another computer";
        break;
    case OwnerChange::Notes:
        other = "with another Notes installation or data folder";
        break;
    case OwnerChange::Bridge:
        other = "through another bridge library";
        break;
    case OwnerChange::Program:
        other = "by another TARNBOOK version";
        break;
    }
    Trace(("The last whole refresh on record, of " + LocalTimeText(last.time) + ", was made " +
           other + ": the address book is refreshed whole.")
              .c_str(),
          kTraceBlue);
    return 0;
}

int CTarnbookApp::IsBookUnchanged(const EntryRecords& records) {
    if (!m_refresh.changedOnly || !m_bSilent)
        return 0;
    LastRefresh last;
    if (!ReadOwnLastRefresh(last))
        return 0;
    BookDigest digest = NewBookDigest();
    EntryRecord record;
    for (EntryRecords::Cursor entries(records); entries.Next(record);) {
        if (record.hasMail && IsInternetMailAddress(record.mail))
            digest.AddRecord(record.lastName, record.firstName, record.phone, record.mail);
    }
    const RefreshVerdict verdict = JudgeRefresh(m_refresh, &last, digest.Finish(), CurrentTicks());
    TraceRefreshVerdict(verdict, last);
    if (verdict != RefreshVerdict::Unchanged)
        return 0;
    // The same records under a marker that moved (a change the book does not show): the new
    // marker is kept, so that the next run need not search again.
    if (!m_strMarker.empty() && m_strMarker != last.marker) {
        LastRefresh kept = last;
        kept.marker = m_strMarker;
        RememberLastRefresh(kept);
    }
    return LeaveBookAlone(last);
}

int CTarnbookApp::LeaveBookAlone(const LastRefresh& last) {
    m_bBookLeftAlone = true;
    m_nRecordsWritten = last.records;
    m_strLastRefresh = LocalTimeText(last.time);
    m_nExitStatus = kBookRefreshed;
    return 1;
}

void CTarnbookApp::TraceRefreshVerdict(RefreshVerdict verdict, const LastRefresh& last) const {
    const std::string when = LocalTimeText(last.time);
    std::string text;
    switch (verdict) {
    case RefreshVerdict::Unchanged:
        text = "The directory holds the same " + GroupedCount(last.records) +
               " records that the whole refresh of " + when +
               " wrote into this address book: nothing was written (Refresh is changed).";
        break;
    case RefreshVerdict::Changed:
        text = "The directory or the address book changed since the whole refresh of " + when +
               ": the address book is refreshed whole.";
        break;
    case RefreshVerdict::Due:
        text = "The last whole refresh, of " + when + ", is " + std::to_string(m_refresh.days) +
               " days old or more (RefreshDays): the address book is refreshed whole.";
        break;
    case RefreshVerdict::Unknown:
        text = "No whole refresh of this address book is on record: it is refreshed whole.";
        break;
    }
    Trace(text.c_str(), kTraceBlue);
}
