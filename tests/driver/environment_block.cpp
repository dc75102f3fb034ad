#include "environment_block.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace driver {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The variable name of an entry; the '=' of a per-drive entry ("=C:=C:\x") is part of its name.
std::string NameOf(const std::string& entry) {
    const size_t equals = entry.find('=', 1);
    return entry.substr(0, equals);
}

} // namespace

bool NameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Upper(x) < Upper(y); });
}

std::vector<std::string> ApplyEnvironmentChanges(const std::vector<std::string>& inherited,
                                                 const EnvironmentChanges& changes) {
    std::vector<std::string> entries;
    for (const std::string& entry : inherited) {
        if (changes.find(NameOf(entry)) == changes.end())
            entries.push_back(entry);
    }
    for (const auto& [name, value] : changes) {
        if (value)
            entries.push_back(name + "=" + *value);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string& a, const std::string& b) {
                         return NameLess()(NameOf(a), NameOf(b));
                     });
    return entries;
}

std::string EnvironmentBlock(const std::vector<std::string>& entries) {
    std::string block;
    for (const std::string& entry : entries) {
        block += entry;
        block += '\0';
    }
    if (entries.empty())
        block += '\0'; // an empty block still needs its two NULs
    block += '\0';
    return block;
}

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> entries;
    char* const strings = GetEnvironmentStringsA();
    if (!strings)
        return entries;
    for (const char* entry = strings; *entry; entry += entries.back().size() + 1)
        entries.emplace_back(entry);
    FreeEnvironmentStringsA(strings);
    return entries;
}

} // namespace driver
