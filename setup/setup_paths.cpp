#include "setup_paths.h"

#include <cstring>

void CutNotesDirectory(char* directory) {
    char* first = std::strchr(directory, '\\');
    char* last = std::strrchr(directory, '\\');
    if (first != last)
        *last = '\0';
}

std::vector<std::string> SelectedFilePaths(const char* buffer, std::size_t size) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (pos < size && buffer[pos] != '\0') {
        std::size_t end = pos;
        while (end < size && buffer[end] != '\0')
            ++end;
        items.emplace_back(buffer + pos, end - pos);
        pos = end + 1;
    }
    if (items.size() <= 1)
        return items;

    std::string folder = items.front();
    if (folder.back() != '\\')
        folder += '\\';
    std::vector<std::string> paths;
    paths.reserve(items.size() - 1);
    for (std::size_t i = 1; i < items.size(); ++i)
        paths.push_back(folder + items[i]);
    return paths;
}
