// Hands the download's records to the bridge: through AddNewAddressBookRecordW where the bridge
// exports it, every text as UTF-16, so that no name loses a letter; else through
// AddNewAddressBookRecord, every text in the system code page.
#ifndef TARN_RECORD_WRITER_H
#define TARN_RECORD_WRITER_H

#include "bridge_binding.h"
#include "search/entry_records.h"

#include <string>

class RecordWriter {
  public:
    explicit RecordWriter(const BridgeBinding& bridge);
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    bool IsUnicode() const { return unicode_ != nullptr; }
    // An Internet address that the code page would change on its way to a bridge that takes
    // only the code page: it would reach someone else, or no one.
    bool IsUnwritable(const EntryRecord& record) const;
    // The bridge's answer: non-zero when it wrote the record.
    int Write(const EntryRecord& record);

  private:
    PFN_AddNewAddressBookRecord narrow_;
    PFN_AddNewAddressBookRecordW unicode_;
    // The texts of the record on its way, kept from record to record.
    std::wstring wide_[4];
    std::string codePage_[4];
};

// A text of a record (UTF-8) as the ANSI functions show it: in the system code page.
std::string ShownText(const std::string& utf8);

#endif
