// The guard against a book that shrinks by mistake: the count a download is compared with, kept
// by every complete run apart from the record of the last whole refresh, and the verdict with
// the line that says why a download is held back or goes on unguarded.
#include "tarnbook_app.h"

#include "download_notices.h"
#include "refresh/book_digest.h"
#include "refresh/guard_store.h"
#include "refresh/last_refresh.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "trace.h"

#include <string>

std::string CTarnbookApp::SourceDigest() const {
    return FieldsDigest({m_strServer, m_strSearchBase, m_request.filter, m_request.lastName,
                         m_request.firstName, m_request.phone, m_request.mail});
}

int CTarnbookApp::IsBookShrinking(unsigned long records) {
    GuardCount kept;
    const bool onRecord = m_nShrinkLimit != 0 && ReadGuardCount(kept);
    const GuardVerdict verdict =
        JudgeShrink(m_nShrinkLimit, onRecord ? &kept : nullptr, SourceDigest(),
                    CurrentRecordOwner().computer, records);
    std::string why;
    switch (verdict) {
    case GuardVerdict::Off:
    case GuardVerdict::Holds:
        return 0;
    case GuardVerdict::NoCount:
        why = "no complete run of this user on this computer is on record to compare with";
        break;
    case GuardVerdict::OtherComputer:
        why = "the count on record, of " + LocalTimeText(kept.time) +
              ", was kept on another computer";
        break;
    case GuardVerdict::OtherSource:
        why = "the count on record, of " + LocalTimeText(kept.time) +
              ", came from another server, search base, filter or attribute settings";
        break;
    case GuardVerdict::Shrunk:
        Report(BookShrankText(records, kept.records, m_nShrinkLimit, LocalTimeText(kept.time)),
               LoadResourceText(IDS_PROGRESS_CAPTION));
        m_nExitStatus = kBookUnchanged;
        return 1;
    }
    Trace(UnguardedText(m_nShrinkLimit, why).c_str(), kTraceBlue);
    return 0;
}

void CTarnbookApp::RememberShrinkCount(unsigned long records) const {
    GuardCount count;
    count.records = records;
    count.time = CurrentTicks();
    count.source = SourceDigest();
    count.computer = CurrentRecordOwner().computer;
    RememberGuardCount(count);
}
