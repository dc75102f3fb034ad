#include "publish_command.h"

#include "folder_path.h"

namespace {

constexpr char kPublishWord[] = "-publish";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool ParsePublishCommand(const std::string& arguments, std::string& folder) {
    const std::string word = kPublishWord;
    if (arguments.compare(0, word.size(), word) != 0 || arguments.size() == word.size() ||
        !IsBlank(arguments[word.size()]))
        return false;
    std::size_t begin = word.size(), end = arguments.size();
    while (begin < end && IsBlank(arguments[begin]))
        ++begin;
    while (end > begin && IsBlank(arguments[end - 1]))
        --end;
    std::string text = arguments.substr(begin, end - begin);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    if (text.find('"') != std::string::npos || !IsFullyQualifiedFolder(text))
        return false;
    folder = text;
    return true;
}
