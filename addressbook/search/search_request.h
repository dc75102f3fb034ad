// What the download asks the directory for: the entries its filter matches and, of each, the
// attribute of every field of the address book record. Each comes from a setting whose
// absence (or empty value) gives the download's own default. Platform-free.
#ifndef TARN_SEARCH_REQUEST_H
#define TARN_SEARCH_REQUEST_H

#include <string>
#include <vector>

struct SearchRequest {
    std::string filter = "cn=*"; // UTF-8: it goes to the server with every character as it is
    std::string firstName = "givenname";
    std::string lastName = "sn";
    std::string phone = "telephoneNumber";
    std::string mail = "mail";
    // Every entry's name (DN) kept in its record: a publication names its entries by them.
    bool keepNames = false;
};

// The request's filter from the SearchFilter setting: the setting where it holds anything,
// else the default.
std::string FilterOf(const std::string& setting);

// Appends name to attributes unless it is there already (letter case does not count).
void AddAttributeOnce(std::vector<std::string>& attributes, const std::string& name);

// The attributes a filter names, each once (letter case does not count), in their order: those
// whose change can make an entry match or no longer match it.
std::vector<std::string> FilterAttributes(const std::string& filter);

// True for one attribute description by name (RFC 4512): letters, digits and hyphens, starting
// with a letter, optionally followed by options (";" and one or more letters, digits or
// hyphens). A numeric OID is not taken: servers name the attributes of their answers by their
// schema names, so values asked for by OID would never be found.
bool IsAttributeDescription(const std::string& text);

#endif
