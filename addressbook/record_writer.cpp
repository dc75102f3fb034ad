#include "record_writer.h"

#include "mail_address.h"
#include "unicode_text.h"

RecordWriter::RecordWriter(const BridgeBinding& bridge)
    : narrow_(bridge.AddNewAddressBookRecord), unicode_(bridge.AddNewAddressBookRecordW) {}

bool RecordWriter::IsUnwritable(const EntryRecord& record) const {
    return !unicode_ && record.hasMail && !record.exact && IsInternetMailAddress(record.mail);
}

int RecordWriter::Write(const EntryRecord& record) {
    const std::string* texts[] = {&record.lastName, &record.firstName, &record.phone, &record.mail};
    if (unicode_) {
        for (int i = 0; i < 4; ++i)
            WideFromUtf8(*texts[i], wide_[i]);
        return unicode_(wide_[0].c_str(), wide_[1].c_str(), wide_[2].c_str(), wide_[3].c_str(), 1);
    }
    const char* narrow[4];
    for (int i = 0; i < 4; ++i) {
        // ASCII is the same text in the code page: handed on as it is.
        if (IsAscii(*texts[i])) {
            narrow[i] = texts[i]->c_str();
        } else {
            codePage_[i] = ShownText(*texts[i]);
            narrow[i] = codePage_[i].c_str();
        }
    }
    return narrow_(narrow[0], narrow[1], narrow[2], narrow[3], 1);
}

std::string ShownText(const std::string& utf8) {
    bool exact = true;
    return CodePageFromUtf8(utf8, exact);
}
