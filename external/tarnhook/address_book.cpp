#include "address_book.h"

#include "csv_record.h"
#include "environment.h"
#include "file_io.h"

#include <windows.h>

namespace tarnhook {

namespace {

const char kAddressBookFileName[] = "names.csv";

long long g_recordsCounted = 0;

std::string CurrentDirectory() {
    char path[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string(".");
}

std::string JoinPath(const std::string& folder, const char* name) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        return folder + "\\" + name;
    return folder + name;
}

// The Notes data folder as notes.ini in the current directory names it.
std::string NotesDataFolder() {
    const std::string currentDirectory = CurrentDirectory();
    const std::string notesIni = JoinPath(currentDirectory, "notes.ini");
    char folder[MAX_PATH] = "";
    GetPrivateProfileStringA("Notes", "Directory", "", folder, MAX_PATH, notesIni.c_str());
    return folder[0] != '\0' ? std::string(folder) : currentDirectory;
}

} // namespace

std::string AddressBookPath() {
    const std::string path = EnvironmentValue(kAddressBookVariable);
    if (!path.empty())
        return path;
    return JoinPath(NotesDataFolder(), kAddressBookFileName);
}

bool OpenAddressBookFile() {
    return AppendToFile(AddressBookPath(), std::string(), kAddressBookHeader);
}

bool EmptyAddressBook() {
    return WriteWholeFile(AddressBookPath(), kAddressBookHeader);
}

bool AppendAddressBookRecord(const std::vector<std::string>& fields) {
    if (!EnvironmentValue(kRecordCountVariable).empty()) {
        ++g_recordsCounted;
        return true;
    }
    return AppendToFile(AddressBookPath(), FormatCsvRecord(fields), kAddressBookHeader);
}

void WriteRecordCount() {
    const std::string path = EnvironmentValue(kRecordCountVariable);
    if (!path.empty())
        WriteWholeFile(path, std::to_string(g_recordsCounted) + "\r\n");
}

} // namespace tarnhook
