// The entry point of the resource and bridge stand-ins. Where the environment variable
// TARN_LOAD_MARK names a file, a stand-in whose code runs in a process appends its own full
// path to that file, one line each time: the tests of where the programs load their
// libraries from read it to tell whose code ran.
#include <windows.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char markFile[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("TARN_LOAD_MARK", markFile, sizeof markFile);
    if (length == 0 || length >= sizeof markFile)
        return TRUE;
    char line[MAX_PATH + 2];
    const DWORD pathLength = GetModuleFileNameA(self, line, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return TRUE;
    std::memcpy(line + pathLength, "\r\n", 2);
    const HANDLE file = CreateFileA(markFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return TRUE;
    DWORD written = 0;
    WriteFile(file, line, pathLength + 2, &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
