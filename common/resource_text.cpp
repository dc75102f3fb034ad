#include "resource_text.h"

#include "text_format.h"

#include <vector>

namespace {
HINSTANCE g_resourceModule = nullptr;
}

void SetResourceModule(HINSTANCE module) {
    g_resourceModule = module;
}

HINSTANCE GetResourceModule() {
    return g_resourceModule ? g_resourceModule : GetModuleHandleA(nullptr);
}

std::string LoadResourceText(UINT id) {
    // A string table entry holds at most 65,535 characters; grow until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        std::vector<char> buffer(size, '\0');
        const int length = LoadStringA(GetResourceModule(), id, buffer.data(), size);
        if (length <= 0)
            return std::string();
        if (length < size - 1 || size == 65536)
            return std::string(buffer.data(), length);
    }
    return std::string();
}

std::string FormatResourceText(UINT id, const std::string& arg) {
    return FormatWithArgument(LoadResourceText(id), arg);
}
