// What a download would write of its search's entries, known before the address book is
// touched: the records it would hand to the bridge, and the entries it could not write.
// (CTarnbookApp::AcceptBookPlan reports what a plan leaves out.)
#ifndef TARN_BOOK_PLAN_H
#define TARN_BOOK_PLAN_H

#include "search/entry_records.h"

#include <string>
#include <vector>

class RecordWriter;

struct BookPlan {
    unsigned long records = 0; // entries with an Internet address that the bridge can take
    // The names of the entries whose address the code page would change on its way to a bridge
    // that takes only the code page.
    std::vector<std::string> unwritable;
};

BookPlan PlanBook(const EntryRecords& entries, const RecordWriter& writer);

#endif
