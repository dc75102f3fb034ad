#include "csv_record.h"

namespace tarnhook {

const char kAddressBookHeader[] = "LastName,FirstName,PhoneNumber,MailAddress\r\n";

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool NeedsQuotes(std::string_view field) {
    if (field.empty())
        return false;
    if (IsBlank(field.front()) || IsBlank(field.back()))
        return true;
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

} // namespace

std::string QuoteCsvField(std::string_view field) {
    if (!NeedsQuotes(field))
        return std::string(field);
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string FormatCsvRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += QuoteCsvField(fields[i]);
    }
    line += "\r\n";
    return line;
}

} // namespace tarnhook
