// A Notes core library whose initialisation fails, so that loading it fails.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}
