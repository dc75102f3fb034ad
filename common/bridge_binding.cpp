#include "bridge_binding.h"

BridgeBinding g_bridge;

bool LoadBridgeLibrary() {
    if (!g_bridge.library)
        g_bridge.library = LoadLibraryA(kBridgeLibraryName);
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
