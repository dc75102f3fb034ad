#include "notes_ini_list.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// One entry of a list: [begin, end) is the entry between its separators, blanks
// included; [textBegin, textEnd) is its text without the blanks around it.
struct ListEntry {
    std::size_t begin;
    std::size_t end;
    std::size_t textBegin;
    std::size_t textEnd;
};

ListEntry EntryAt(const std::string& list, std::size_t begin) {
    std::size_t end = list.find(',', begin);
    if (end == std::string::npos)
        end = list.size();
    std::size_t textBegin = begin;
    while (textBegin < end && IsBlank(list[textBegin]))
        ++textBegin;
    std::size_t textEnd = end;
    while (textEnd > textBegin && IsBlank(list[textEnd - 1]))
        --textEnd;
    return {begin, end, textBegin, textEnd};
}

bool EntryIs(const std::string& list, const ListEntry& entry, const std::string& name) {
    return list.compare(entry.textBegin, entry.textEnd - entry.textBegin, name) == 0;
}

// The first entry equal to name; false when the list has none.
bool FindEntry(const std::string& list, const std::string& name, ListEntry& found) {
    std::size_t begin = 0;
    for (;;) {
        const ListEntry entry = EntryAt(list, begin);
        if (EntryIs(list, entry, name)) {
            found = entry;
            return true;
        }
        if (entry.end == list.size())
            return false;
        begin = entry.end + 1;
    }
}

} // namespace

ExtensionRegistration RegistrationForMode(int mode) {
    const bool addins = mode == 2 || mode == 4 || mode == 45 || mode == 46;
    return {mode >= 0, addins};
}

std::string AddListEntry(const std::string& list, const std::string& name) {
    ListEntry entry{};
    if (FindEntry(list, name, entry))
        return list;
    if (list.empty())
        return name;
    return list + "," + name;
}

std::string RemoveListEntry(const std::string& list, const std::string& name) {
    ListEntry entry{};
    if (name.empty() || !FindEntry(list, name, entry))
        return list;
    std::size_t cutBegin = 0;
    std::size_t cutEnd = 0;
    if (entry.begin == 0) {
        // The first entry goes with the comma after it and the blanks behind that comma.
        cutEnd = entry.end;
        if (cutEnd < list.size()) {
            ++cutEnd;
            while (cutEnd < list.size() && IsBlank(list[cutEnd]))
                ++cutEnd;
        }
    } else if (entry.end == list.size()) {
        // The last entry goes with the comma before it and its own blanks; the blanks before
        // that comma belong to the entry in front, so an entry appended by AddListEntry is
        // taken out again to the byte.
        cutBegin = entry.begin - 1;
        cutEnd = entry.end;
    } else {
        // An entry in the middle goes with the comma before it and the blanks on both sides
        // of that comma; the blanks behind the entry stay with the next separator.
        cutBegin = entry.begin - 1;
        while (cutBegin > 0 && IsBlank(list[cutBegin - 1]))
            --cutBegin;
        cutEnd = entry.textEnd;
    }
    return list.substr(0, cutBegin) + list.substr(cutEnd);
}

std::string EditListEntry(const std::string& list, const std::string& name, bool add) {
    return add ? AddListEntry(list, name) : RemoveListEntry(list, name);
}
