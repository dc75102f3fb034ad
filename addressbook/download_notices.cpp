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

std::string SearchFilterRefusedText(const std::string& filter, const std::string& reason) {
    return "SearchFilter holds \"" + filter +
           "\", which is not a search filter that the LDAP client library takes (" + reason +
           "). The address book was not changed.";
}

std::string SearchFilterUnreadableText(const std::string& why) {
    return "A SearchFilter is set but cannot be read (" + why +
           "), and no more trusted setting gives one that can be. The address book was not "
           "changed, so that it never takes more than a filter chooses.";
}

std::string BookPolicyRefusedText(const std::string& report) {
    return report +
           " It decides who or what is in the address book, so no less trusted setting takes its "
           "place: the address book was not changed.";
}

std::string AttributeRefusedText(const std::string& name, const std::string& value) {
    return name + " holds \"" + value +
           "\", which is not an attribute name (letters, digits and hyphens, beginning with a "
           "letter; options after \";\"; not an OID, as servers name attributes in their "
           "answers by name). The address book was not changed.";
}

std::string BookShrankText(unsigned long records, unsigned long lastRecords, unsigned limit,
                           const std::string& when) {
    return "The directory gave " + GroupedCount(records) + (records == 1 ? " record" : " records") +
           ", fewer than " + std::to_string(100 - limit) + "% of the " + GroupedCount(lastRecords) +
           " that the whole refresh of " + when + " wrote (ShrinkLimit is " +
           std::to_string(limit) +
           "). The address book was left as it was; where the directory did shrink this much, "
           "run TARNBOOK once with ShrinkLimit 0.";
}

std::string AnotherRunText() {
    return "Another TARNBOOK run of this user is refreshing the address book: this run writes "
           "nothing.";
}

std::string StuckRunText(unsigned long pid, const std::string& started, unsigned long ageMinutes,
                         unsigned long boundMinutes) {
    return "Another TARNBOOK run of this user (process " + std::to_string(pid) + ", started " +
           started + ") has held the address book for " + GroupedCount(ageMinutes) +
           " minutes, longer than a run takes (" + std::to_string(boundMinutes) +
           " minutes): it may hang, or wait for an answer in a window. This run writes nothing; "
           "where that run does not end, end it.";
}

std::string UnwritableMailText(const std::string& entryName) {
    return "The entry " + entryName +
           " was not written: its mail address has characters that this system's code page "
           "cannot show, and the bridge takes no records in UTF-16. Until one of them changes, "
           "no run writes the whole address book, and Refresh changed never leaves it alone.";
}

std::string NothingToWriteText(unsigned long entries, const std::string& mailAttribute) {
    return "The directory gave " + Entries(entries) +
           ", but none with an Internet mail address in \"" + mailAttribute +
           "\" (MailAttribute) that could be written. The address book was not changed; check "
           "MailAttribute, and that the account TARNBOOK reads with may read that attribute.";
}

std::string UnguardedText(unsigned limit, const std::string& why) {
    return "ShrinkLimit is " + std::to_string(limit) + ", but " + why +
           ": this download is not guarded against shrinking the address book.";
}
