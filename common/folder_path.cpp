#include "folder_path.h"

#include <cctype>

bool IsFullyQualifiedFolder(const std::string& folder) {
    if (folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
        folder[1] == ':' && folder[2] == '\\')
        return true;
    // \\server\share: a server and a share, each named; "\\?\" and "\\.\" are devices' names.
    if (folder.size() < 5 || folder.compare(0, 2, "\\\\") != 0)
        return false;
    const size_t share = folder.find('\\', 2);
    const std::string server = folder.substr(2, share == std::string::npos ? 0 : share - 2);
    return share != std::string::npos && !server.empty() && server != "?" && server != "." &&
           share + 1 < folder.size() && folder[share + 1] != '\\';
}
