// What the download asks the directory for: the entries its filter matches and, of each, the
// attribute of every field of the address book record. Each comes from a setting whose
// absence (or empty value) gives the download's own default. Platform-free.
#ifndef TARN_SEARCH_REQUEST_H
#define TARN_SEARCH_REQUEST_H

#include <string>
#include <vector>

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

// Appends name to attributes unless it is there already (letter case does not count).
void AddAttributeOnce(std::vector<std::string>& attributes, const std::string& name);

// The attributes a filter names, each once (letter case does not count), in their order: those
// whose change can make an entry match or no longer match it.
std::vector<std::string> FilterAttributes(const std::string& filter);

// True for one attribute description (RFC 4512): a name of letters, digits and hyphens that
// starts with a letter, or a numeric OID, each optionally followed by options (";" and one or
// more letters, digits or hyphens).
bool IsAttributeDescription(const std::string& text);

#endif
