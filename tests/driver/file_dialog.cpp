#include "file_dialog.h"

#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <dlgs.h>

namespace driver {

namespace {

bool SendText(HWND field, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return field && SendMessageTimeoutA(field, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                        kMessageTimeoutMs, result) != 0;
}

} // namespace

FileDialog FileDialog::WaitFor(const Process& process, const std::string& title, DWORD timeoutMs) {
    WindowMatch match = DialogTitled(title);
    match.kind = "an open-file dialog";
    return FileDialog(WaitForWindow(process, match, timeoutMs));
}

std::string FileDialog::Title() const {
    return WindowText(dialog_);
}

namespace {

BOOL CALLBACK FindEdit(HWND child, LPARAM lParam) {
    if (WindowClass(child) == "Edit") {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// The explorer-style dialog has its file name field inside item cmb13 (Wine nests an edit
// field in a combo box in an extended combo box), the older style an edit field edt1.
HWND FileDialog::FileNameField() const {
    const HWND combo = GetDlgItem(dialog_, cmb13);
    if (!combo)
        return GetDlgItem(dialog_, edt1);
    HWND edit = WindowClass(combo) == "Edit" ? combo : nullptr;
    if (!edit)
        EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit ? edit : combo;
}

std::optional<std::string> FileDialog::FileName() const {
    const HWND field = FileNameField();
    DWORD_PTR length = 0;
    if (!SendText(field, WM_GETTEXTLENGTH, 0, 0, &length))
        return std::nullopt;
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendText(field, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied))
        return std::nullopt;
    text.resize(copied);
    return text;
}

bool FileDialog::TypeFileName(const std::string& name) {
    DWORD_PTR result = 0;
    return SendText(FileNameField(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                    &result);
}

bool FileDialog::TypeFileNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "\"" : " \"") + name + "\"";
    return TypeFileName(text);
}

bool FileDialog::PressOpen() {
    return PressButton(dialog_, IDOK);
}

bool FileDialog::Cancel() {
    return PressButton(dialog_, IDCANCEL);
}

bool FileDialog::WaitUntilClosed(DWORD timeoutMs) const {
    return WaitForWindowGone(dialog_, timeoutMs);
}

} // namespace driver
