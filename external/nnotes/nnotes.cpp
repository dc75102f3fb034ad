// A Notes core library that loads and offers one harmless export.
#include <windows.h>

extern "C" int NotesStandInVersion(void) {
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
