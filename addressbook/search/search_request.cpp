#include "search_request.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsKeyChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '-';
}

// A name: a letter, then letters, digits and hyphens.
bool IsDescriptor(const std::string& text) {
    if (text.empty() || !IsLetter(text[0]))
        return false;
    for (char c : text) {
        if (!IsKeyChar(c))
            return false;
    }
    return true;
}

} // namespace

std::string FilterOf(const std::string& setting) {
    return setting.empty() ? SearchRequest().filter : setting;
}

void AddAttributeOnce(std::vector<std::string>& attributes, const std::string& name) {
    const auto same = [&name](const std::string& attribute) {
        return attribute.size() == name.size() &&
               std::equal(attribute.begin(), attribute.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    };
    if (std::find_if(attributes.begin(), attributes.end(), same) == attributes.end())
        attributes.push_back(name);
}

std::vector<std::string> FilterAttributes(const std::string& filter) {
    // An item is "(" attribute, then its operator: "=", "~=", ">=", "<=" or an extensible
    // match's ":". In a value "(" is always escaped, so each "(" begins a filter.
    const std::string whole = !filter.empty() && filter[0] == '(' ? filter : "(" + filter + ")";
    std::vector<std::string> attributes;
    for (std::string::size_type at = whole.find('('); at != std::string::npos;
         at = whole.find('(', at + 1)) {
        const std::string::size_type end = whole.find_first_of("=~<>:()&|!", at + 1);
        if (end == std::string::npos || end == at + 1)
            continue;
        AddAttributeOnce(attributes, whole.substr(at + 1, end - at - 1));
    }
    return attributes;
}

bool IsAttributeDescription(const std::string& text) {
    const std::string::size_type semicolon = text.find(';');
    const std::string type = text.substr(0, semicolon);
    if (!IsDescriptor(type))
        return false;
    if (semicolon == std::string::npos)
        return true;
    // Options: each one or more key characters, after a semicolon.
    std::string::size_type start = semicolon + 1;
    for (;;) {
        const std::string::size_type next = text.find(';', start);
        const std::string option =
            text.substr(start, next == std::string::npos ? std::string::npos : next - start);
        if (option.empty())
            return false;
        for (char c : option) {
            if (!IsKeyChar(c))
                return false;
        }
        if (next == std::string::npos)
            return true;
        start = next + 1;
    }
}
