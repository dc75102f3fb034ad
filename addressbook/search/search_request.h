// What the download asks the directory for: the entries its filter matches and, of each, the
// attribute of every field of the address book record. Each comes from a setting whose
// absence (or empty value) gives the download's own default. Platform-free.
#ifndef TARN_SEARCH_REQUEST_H
#define TARN_SEARCH_REQUEST_H

#include <string>

struct SearchRequest {
    std::string filter = "cn=*";
    std::string firstName = "givenname";
    std::string lastName = "sn";
    std::string phone = "telephoneNumber";
    std::string mail = "mail";
};

// The request's filter from the SearchFilter setting: the setting where it holds anything,
// else the default.
std::string FilterOf(const std::string& setting);

// True for one attribute description (RFC 4512): a name of letters, digits and hyphens that
// starts with a letter, or a numeric OID, each optionally followed by options (";" and one or
// more letters, digits or hyphens).
bool IsAttributeDescription(const std::string& text);

#endif
