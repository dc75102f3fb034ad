#include "record_owner.h"

#include "book_digest.h"
#include "path_text.h"
#include "registry_text.h"
#include "win_handles.h"

#include <string>

namespace {

// The computer by its full DNS name and by the number Windows gives each installation
// (MachineGuid, set up anew by each installation and each generalised image): the name alone
// would take a fresh virtual desktop of the same name for this one, the number alone a
// cloned, not generalised, image. The number is read from the 64-bit view, where it lives
// whatever the program's build.
std::string ComputerName() {
    char name[256] = "";
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNamePhysicalDnsFullyQualified, name, &size))
        return std::string();
    return name;
}

std::string MachineGuid() {
    RegKey key;
    char guid[64] = "";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.receive()) != ERROR_SUCCESS ||
        !ReadRegistryText(key.get(), "MachineGuid", guid, sizeof guid))
        return std::string();
    return guid;
}

// The full path of a loaded module, "" where it cannot be told.
std::string ModulePath(HMODULE module) {
    char path[kPathBufferSize] = "";
    const DWORD length = module ? GetModuleFileNameA(module, path, sizeof path) : 0;
    if (length == 0 || length >= sizeof path)
        return std::string();
    return path;
}

// The file the profile functions use for path: a bare name lies in the Windows folder.
std::string ProfileFilePath(const char* path) {
    std::string named = path;
    if (named.find_first_of("\\/:") == std::string::npos) {
        char windows[kPathBufferSize] = "";
        const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
        if (length > 0 && length < sizeof windows)
            named = std::string(windows) + "\\" + named;
    }
    char full[kPathBufferSize] = "";
    const DWORD length = GetFullPathNameA(named.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return named;
    return full;
}

// A file's size and last write time; another build of a library of the same name differs in
// either. (Its version resource would need version.dll, which the programs do not import.)
std::string FileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::string();
    const unsigned long long size =
        static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    const unsigned long long written =
        static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
        data.ftLastWriteTime.dwLowDateTime;
    return std::to_string(size) + " " + std::to_string(written);
}

} // namespace

RecordOwner FindRecordOwner(HMODULE notesLibrary, HMODULE bridgeLibrary, const char* notesIniPath,
                            const char* programVersion) {
    RecordOwner owner;
    owner.computer = FieldsDigest({ComputerName(), MachineGuid()});
    // The Notes installation by its core library, its data folder by the notes.ini in use and
    // the folder that notes.ini names.
    const std::string ini = ProfileFilePath(notesIniPath);
    char dataFolder[kPathBufferSize] = "";
    GetPrivateProfileStringA("Notes", "Directory", "", dataFolder, sizeof dataFolder, ini.c_str());
    owner.notes = FieldsDigest({ModulePath(notesLibrary), ini, dataFolder});
    const std::string bridge = ModulePath(bridgeLibrary);
    owner.bridge = FieldsDigest({bridge, FileStamp(bridge)});
    owner.program = FieldsDigest({"TARNBOOK", programVersion});
    return owner;
}
