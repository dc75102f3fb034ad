#include "book_entries.h"

#include "ldif_lines.h"

#include <algorithm>

void SortBookEntries(BookEntries& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const EntryRecord& a, const EntryRecord& b) { return a.name < b.name; });
    entries.erase(
        std::unique(entries.begin(), entries.end(),
                    [](const EntryRecord& a, const EntryRecord& b) { return a.name == b.name; }),
        entries.end());
}

std::vector<std::string> BookAttributes(const SearchRequest& request) {
    std::vector<std::string> names;
    for (const std::string* name :
         {&request.lastName, &request.firstName, &request.phone, &request.mail}) {
        if (std::none_of(names.begin(), names.end(),
                         [name](const std::string& each) { return SameAttribute(each, *name); }))
            names.push_back(*name);
    }
    return names;
}

bool EntryValue(const EntryRecord& entry, const SearchRequest& request,
                const std::string& attribute, std::string& value) {
    const std::pair<const std::string&, const std::string&> fields[] = {
        {request.lastName, entry.lastName},
        {request.firstName, entry.firstName},
        {request.phone, entry.phone}};
    for (const auto& field : fields) {
        if (SameAttribute(field.first, attribute) && !field.second.empty()) {
            value = field.second;
            return true;
        }
    }
    if (SameAttribute(request.mail, attribute) && entry.hasMail) {
        value = entry.mail;
        return true;
    }
    return false;
}

bool SetEntryValue(EntryRecord& entry, const SearchRequest& request, const std::string& attribute,
                   const std::string* value) {
    bool taken = false;
    const std::pair<const std::string&, std::string&> fields[] = {
        {request.lastName, entry.lastName},
        {request.firstName, entry.firstName},
        {request.phone, entry.phone},
        {request.mail, entry.mail}};
    for (const auto& field : fields) {
        if (SameAttribute(field.first, attribute)) {
            field.second = value ? *value : std::string();
            taken = true;
        }
    }
    if (SameAttribute(request.mail, attribute))
        entry.hasMail = value != nullptr;
    return taken;
}

bool SameEntry(const EntryRecord& a, const EntryRecord& b) {
    return a.name == b.name && a.lastName == b.lastName && a.firstName == b.firstName &&
           a.phone == b.phone && a.hasMail == b.hasMail && a.mail == b.mail;
}
