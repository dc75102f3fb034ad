#include "book_plan.h"

#include "download_notices.h"
#include "mail_address.h"
#include "record_writer.h"
#include "tarnbook_app.h"
#include "trace.h"
#include "unicode_text.h"

BookPlan PlanBook(const EntryRecords& entries, const RecordWriter& writer) {
    BookPlan plan;
    EntryRecord record;
    for (EntryRecords::Cursor cursor(entries); cursor.Next(record);) {
        if (writer.IsUnwritable(record))
            plan.unwritable.push_back(record.name);
        else if (record.hasMail && IsInternetMailAddress(record.mail))
            ++plan.records;
    }
    return plan;
}

int CTarnbookApp::AcceptBookPlan(const BookPlan& plan, unsigned long entries,
                                 const std::string& caption) {
    for (const std::string& name : plan.unwritable)
        TraceFailure(UnwritableMailText(CodePageFromUtf8(name)));
    if (plan.records > 0)
        return 1;
    // Entries found, none of which would become a record (a MailAttribute that no entry
    // returns, an attribute the account may not read): the book is not emptied for nothing.
    const std::string text = NothingToWriteText(entries, m_request.mail);
    if (!m_bSilent)
        Trace(text.c_str(), kTraceRed);
    Report(text, caption);
    m_nExitStatus = kBookUnreachable;
    m_failed = Failed::Directory;
    return 0;
}
