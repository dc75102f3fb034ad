// The address book file of the reference bridge: CSV text with a header line and one record
// a line, CRLF line ends.
#ifndef TARNHOOK_CSV_RECORD_H
#define TARNHOOK_CSV_RECORD_H

#include <string>
#include <string_view>
#include <vector>

namespace tarnhook {

// The header line, with its line end.
extern const char kAddressBookHeader[];

// A field as it stands in a record: quoted, with inner quotes doubled, only when it holds a
// comma, a quote, a CR or LF, or begins or ends with a blank; otherwise as it is.
std::string QuoteCsvField(std::string_view field);

// One record line: the quoted fields separated by commas, ended by CRLF.
std::string FormatCsvRecord(const std::vector<std::string>& fields);

} // namespace tarnhook

#endif
