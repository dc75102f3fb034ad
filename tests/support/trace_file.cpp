#include "trace_file.h"

#include "test_files.h"
#include "test_registry.h"

#include <windows.h>

#include <sstream>

void TraceToFile(const std::string& path) {
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
    SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 1);
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", path);
    DeleteFileA(path.c_str());
}

std::vector<std::string> TracedTexts(const std::string& path) {
    std::vector<std::string> texts;
    std::istringstream in(driver::ReadTextFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        texts.push_back(line.size() >= 15 ? line.substr(15) : line);
    }
    return texts;
}
