// TARNTRACE: the trace viewer for the people who run the Voxtarion Desktop programs. It
// publishes its window where the programs' trace client looks for it and prints every line
// it receives, with the time and in its colour, until Ctrl+C or until its window is closed.
#include "library_search.h"
#include "line_output.h"
#include "tarn_version.h"
#include "viewer_mapping.h"
#include "viewer_options.h"
#include "viewer_window.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

HWND g_window = nullptr;

// Ctrl+C, Ctrl+Break and closing the console end the viewer through its window, so that
// its block is removed on the way out.
BOOL WINAPI OnConsoleControl(DWORD) {
    if (g_window)
        PostMessageA(g_window, WM_CLOSE, 0, 0);
    return TRUE;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "TARNTRACE: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything can load a library: never from the current folder or PATH, as in the
    // programs whose trace it shows.
    RestrictLibrarySearch();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    ViewerOptions options;
    std::string error;
    if (!ParseViewerOptions(arguments, options, error)) {
        std::fprintf(stderr, "TARNTRACE: %s\n\n%s", error.c_str(), kViewerUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kViewerUsage, stdout);
        return 0;
    }
    LineOutput output;
    ViewerWindow window(output, options.onlyErrors);
    if (!window.Create())
        return Fail("cannot create the viewer's window");
    KernelHandle mapping;
    if (!PublishViewerWindow(window.Handle(), mapping, error))
        return Fail(error);
    // No line is handled before Run, so none is lost while the file opens.
    if (!options.file.empty() && !output.OpenFile(options.file, error))
        return Fail(error);
    g_window = window.Handle();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    std::fprintf(stderr, "TARNTRACE %s: showing %s as they arrive%s%s. Ctrl+C ends.\n",
                 TARN_VERSION_TEXT, options.onlyErrors ? "error lines" : "trace lines",
                 options.file.empty() ? "" : ", also in ", options.file.c_str());
    std::fflush(stderr);
    window.Run();
    g_window = nullptr;
    return 0;
}
