// The Windows open-file dialog of a program under test: found by its title, answered by
// typing into its file name field and pressing Open, or cancelled.
#ifndef TARN_DRIVER_FILE_DIALOG_H
#define TARN_DRIVER_FILE_DIALOG_H

#include "process.h"
#include "timing.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

class FileDialog {
  public:
    explicit FileDialog(HWND dialog = nullptr) : dialog_(dialog) {}

    // Waits for the process's open-file dialog titled `title`; fails the test, naming the
    // windows seen, when none comes (the result is then empty).
    static FileDialog WaitFor(const Process& process, const std::string& title,
                              DWORD timeoutMs = kWindowTimeoutMs);

    HWND Window() const { return dialog_; }
    explicit operator bool() const { return dialog_ != nullptr; }
    std::string Title() const;

    // The text of the file name field; std::nullopt when the dialog does not answer.
    std::optional<std::string> FileName() const;
    // Types a name (or a path) into the file name field.
    bool TypeFileName(const std::string& name);
    // Types several names, each in double quotes: "a.nsf" "b.nsf".
    bool TypeFileNames(const std::vector<std::string>& names);

    bool PressOpen(); // the Open button (IDOK)
    bool Cancel();    // the Cancel button (IDCANCEL)
    bool WaitUntilClosed(DWORD timeoutMs = kWindowTimeoutMs) const;

  private:
    HWND FileNameField() const;

    HWND dialog_;
};

} // namespace driver

#endif
