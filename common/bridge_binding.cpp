#include "bridge_binding.h"

#include "library_search.h"

#include <string>

BridgeBinding g_bridge;

bool LoadBridgeLibrary(HMODULE notesLibrary) {
    std::string folders[] = {ModuleFolder(nullptr), notesLibrary ? ModuleFolder(notesLibrary) : ""};
    for (const std::string& folder : folders) {
        if (!g_bridge.library && !folder.empty())
            g_bridge.library = LoadLibraryAt((folder + kBridgeLibraryName).c_str());
    }
    return g_bridge.library != nullptr;
}

FARPROC LookUpBridgeExport(const char* name) {
    return g_bridge.library ? GetProcAddress(g_bridge.library, name) : nullptr;
}

void FreeBridgeLibrary() {
    if (g_bridge.library) {
        FreeLibrary(g_bridge.library);
        g_bridge = BridgeBinding();
    }
}
