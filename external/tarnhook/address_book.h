// The reference bridge's address book: the file names.csv in the Notes data folder.
#ifndef TARNHOOK_ADDRESS_BOOK_H
#define TARNHOOK_ADDRESS_BOOK_H

#include <string>
#include <vector>

namespace tarnhook {

class BridgeCall;

// TARNHOOK_ADDRESSBOOK when set; else names.csv in the folder named by the Directory entry
// of section Notes of notes.ini in the current directory, or in the current directory itself
// when there is no such entry.
std::string AddressBookPath();

// Creates the address book with its header line when it is missing or empty.
bool OpenAddressBookFile();

// Leaves the header line alone in the address book.
bool EmptyAddressBook();

// Appends one record (last name, first name, phone number, mail address); with
// TARNHOOK_RECORD_COUNT set, only counts it.
bool AppendAddressBookRecord(const std::vector<std::string>& fields);

// The result of a record call: the scripted one where the script sets one, else 1, or 0 when
// the record cannot be written. The record is written, in UTF-8, only where the result means
// success, after the delay TARNHOOK_RECORD_DELAY_MS asks for; its fields are UTF-8, or texts
// of the system code page where codePage is set.
int WriteRecord(const BridgeCall& call, const std::vector<std::string>& fields, bool codePage);

// A text of UTF-16 (null: empty) in UTF-8.
std::string Utf8FromWide(const wchar_t* text);

// With TARNHOOK_RECORD_COUNT set, writes the number of records counted into that file.
void WriteRecordCount();

} // namespace tarnhook

#endif
