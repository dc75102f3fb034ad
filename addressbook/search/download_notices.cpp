#include "download_notices.h"

namespace {

std::string Entries(unsigned long count) {
    return GroupedCount(count) + (count == 1 ? " entry" : " entries");
}

std::string Server(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

} // namespace

std::string GroupedCount(unsigned long count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::string::size_type i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string SearchCutText(unsigned long entries, const std::string& reason) {
    return "The directory server ended the search after " + Entries(entries) + " (" + reason +
           "). The address book holds only these entries.";
}

std::string ServerSilentCutText(const std::string& host, int port, unsigned seconds,
                                unsigned long entries) {
    return "The directory server " + Server(host, port) + " did not answer within " +
           std::to_string(seconds) + " seconds; the search ended after " + Entries(entries) +
           ". The address book holds only these entries.";
}

std::string ConnectionLostText(const std::string& host, int port, const std::string& reason) {
    return "The connection to the directory server " + Server(host, port) +
           " broke off during the search (" + reason + "). The address book was not changed.";
}

std::string UnwritableMailText(const std::string& entryName) {
    return "The entry " + entryName +
           " was not written: its mail address has characters that this system's code page "
           "cannot show.";
}
