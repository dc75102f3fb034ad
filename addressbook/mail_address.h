// What the download writes: Internet mail addresses only.
#ifndef TARN_MAIL_ADDRESS_H
#define TARN_MAIL_ADDRESS_H

#include <string>

// True when the mail value holds "@" anywhere, its first character included. A value
// without one is an address of the messaging product's own form (a mailbox number).
bool IsInternetMailAddress(const std::string& mail);

// The text reported when the bridge refuses a record, naming its mail address.
std::string RecordRefusedText(const std::string& mail);

#endif
