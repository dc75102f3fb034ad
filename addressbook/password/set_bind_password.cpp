// TARNBOOK /setbindpassword: the bind password read from standard input, or asked for in a
// dialog when standard input is a console or absent, encrypted and stored.
#include "set_bind_password.h"

#include "password_dlg.h"
#include "password_notices.h"
#include "password_store.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "trace.h"

namespace {

// The longest input taken; a password is its first line.
constexpr DWORD kLongestInput = 4096;

// Standard input that a script feeds: a pipe or a file. A console, the null device or none
// at all means that a person runs the program.
bool InputIsFed(HANDLE input) {
    if (!input || input == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = GetFileType(input);
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
}

// Reads standard input to its end (or kLongestInput bytes) and keeps its first line.
void ReadFirstLine(HANDLE input, SecretText& password) {
    char buffer[kLongestInput];
    DWORD total = 0, got = 0;
    while (total < sizeof buffer &&
           ReadFile(input, buffer + total, sizeof buffer - total, &got, nullptr) && got > 0)
        total += got;
    DWORD length = 0;
    while (length < total && buffer[length] != '\r' && buffer[length] != '\n')
        ++length;
    password.Assign(buffer, length);
    SecureZeroMemory(buffer, sizeof buffer);
}

// Tells the person or the script: on standard output when there is one, else in a box.
void Tell(const std::string& text, bool toOutput, UINT icon) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (toOutput && output && output != INVALID_HANDLE_VALUE &&
        GetFileType(output) != FILE_TYPE_UNKNOWN) {
        const std::string line = text + "\r\n";
        DWORD written = 0;
        if (WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
            return;
    }
    MessageBoxA(nullptr, text.c_str(), LoadResourceText(IDS_TARNBOOK_CAPTION).c_str(),
                MB_OK | icon | MB_SYSTEMMODAL);
}

} // namespace

int StoreBindPasswordFromUser(std::string& told) {
    Trace("SetBindPassword", kTraceBlue);
    SecretText password;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const bool fed = InputIsFed(input);
    if (fed) {
        ReadFirstLine(input, password);
    } else {
        CPasswordDlg dialog;
        if (!dialog.DoModal(password)) {
            told = PasswordNotStoredText("the dialog was cancelled.");
            return 0;
        }
    }
    if (password.empty()) {
        const std::string text = told = PasswordNotStoredText("the password is empty.");
        Trace(text.c_str(), kTraceRed);
        Tell(text, fed, MB_ICONWARNING);
        return 0;
    }
    std::string where, error;
    if (!StoreBindPassword(password, where, error)) {
        const std::string text = told = PasswordNotStoredText(error + ".");
        Trace(text.c_str(), kTraceRed);
        Tell(text, fed, MB_ICONERROR);
        return 0;
    }
    const std::string text = told = PasswordStoredText(where);
    Trace(text.c_str(), kTraceBlue);
    Tell(text, fed, MB_ICONINFORMATION);
    return 1;
}
