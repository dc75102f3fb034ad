#include "address_book.h"

#include "bridge_call.h"
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

namespace {

std::string Utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string Utf8FromCodePage(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        return std::string();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return Utf8(wide.data(), size);
}

} // namespace

int WriteRecord(const BridgeCall& call, const std::vector<std::string>& fields, bool codePage) {
    int result = call.Scripted().value_or(1);
    if (result == 0)
        return result;
    const std::string delay = EnvironmentValue(kRecordDelayVariable);
    if (!delay.empty())
        Sleep(static_cast<DWORD>(std::stoul(delay)));
    std::vector<std::string> utf8 = fields;
    // Counting records only: nothing to convert.
    if (codePage && EnvironmentValue(kRecordCountVariable).empty()) {
        for (std::string& field : utf8)
            field = Utf8FromCodePage(field);
    }
    if (!AppendAddressBookRecord(utf8) && !call.Scripted())
        result = 0;
    return result;
}

std::string Utf8FromWide(const wchar_t* text) {
    return text ? Utf8(text, static_cast<int>(wcslen(text))) : std::string();
}

void WriteRecordCount() {
    const std::string path = EnvironmentValue(kRecordCountVariable);
    if (!path.empty())
        WriteWholeFile(path, std::to_string(g_recordsCounted) + "\r\n");
}

} // namespace tarnhook
