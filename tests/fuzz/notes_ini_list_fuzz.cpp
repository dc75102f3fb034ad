// The notes.ini list editing: whatever a list holds, every other entry survives byte for
// byte, adding is idempotent, adding then removing an absent name gives the list back, and
// a removal takes out the whole entry and separators only, never part of a name.
#include "fuzz_check.h"
#include "notes_ini_list.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The list's entries without their blanks; empty entries carry nothing and are left out.
std::vector<std::string> Entries(const std::string& list) {
    std::vector<std::string> entries;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t comma = list.find(',', begin);
        const std::string entry = Trimmed(
            list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
        if (!entry.empty())
            entries.push_back(entry);
        if (comma == std::string::npos)
            return entries;
        begin = comma + 1;
    }
}

// A name a list can hold as one entry.
bool IsEntryName(const std::string& name) {
    return !name.empty() && name.find(',') == std::string::npos && Trimmed(name) == name;
}

void CheckAdd(const std::string& list, const std::string& name) {
    const std::vector<std::string> before = Entries(list);
    const bool present = std::find(before.begin(), before.end(), name) != before.end();
    const std::string added = AddListEntry(list, name);
    if (present) {
        FUZZ_CHECK(added == list);
        return;
    }
    // The list stays whole in front; the name follows as one more entry.
    FUZZ_CHECK(added.compare(0, list.size(), list) == 0);
    std::vector<std::string> expected = before;
    expected.push_back(name);
    FUZZ_CHECK(Entries(added) == expected);
    FUZZ_CHECK(AddListEntry(added, name) == added);
    FUZZ_CHECK(RemoveListEntry(added, name) == list);
}

void CheckRemove(const std::string& list, const std::string& name) {
    const std::vector<std::string> before = Entries(list);
    const auto first = std::find(before.begin(), before.end(), name);
    const std::string removed = RemoveListEntry(list, name);
    if (first == before.end()) {
        FUZZ_CHECK(removed == list);
        return;
    }
    // One stretch is cut out, and it holds the name, blanks and at most one comma. Where
    // the stretch lies may be ambiguous ("a,tarnhook,tb" loses ",tarnhook" or "tarnhook,t"):
    // one of the places must qualify.
    FUZZ_CHECK(removed.size() < list.size());
    const std::size_t cutSize = list.size() - removed.size();
    std::size_t head = 0;
    while (head < removed.size() && removed[head] == list[head])
        ++head;
    std::size_t tail = 0;
    while (tail < removed.size() &&
           removed[removed.size() - 1 - tail] == list[list.size() - 1 - tail])
        ++tail;
    FUZZ_CHECK(head + tail >= removed.size());
    bool nameCut = false;
    for (std::size_t at = removed.size() - tail; at <= head && !nameCut; ++at) {
        std::string cut = list.substr(at, cutSize);
        const auto commas = std::count(cut.begin(), cut.end(), ',');
        cut.erase(std::remove(cut.begin(), cut.end(), ','), cut.end());
        nameCut = commas <= 1 && Trimmed(cut) == name;
    }
    FUZZ_CHECK(nameCut);

    std::vector<std::string> expected = before;
    expected.erase(expected.begin() + (first - before.begin()));
    FUZZ_CHECK(Entries(removed) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = FuzzFields(data, size, 2);
    const std::string& list = fields[1];
    std::vector<std::string> names = {"tarnhook", "tarnpwd"};
    if (IsEntryName(fields[0]))
        names.push_back(fields[0]);
    for (const std::string& name : names) {
        CheckAdd(list, name);
        CheckRemove(list, name);
        FUZZ_CHECK(EditListEntry(list, name, true) == AddListEntry(list, name));
        FUZZ_CHECK(EditListEntry(list, name, false) == RemoveListEntry(list, name));
    }
    return 0;
}
