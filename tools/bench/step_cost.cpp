// What one step of the download's progress bar costs: shows the progress window from the
// resource library's template, steps it COUNT times over a range of COUNT and prints the
// mean time per step in microseconds.
//   bench_step_cost COUNT
#include "progress/progress_dlg.h"

#include "library_search.h"
#include "resource_text.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The resource library beside this program, as the programs load it.
    const HMODULE resources = LoadResourceImage(kResourceLibraryName);
    if (count <= 0 || !resources)
        return 2;
    SetResourceModule(resources);
    CProgressDlg progress(nullptr);
    progress.ShowWindow(SW_SHOW);
    progress.SetText("steps");
    progress.SetRange(0, count);
    progress.SetStep(1);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i)
        progress.StepIt();
    QueryPerformanceCounter(&end);
    std::printf("progress step %.1f us\n", 1e6 *
                                               static_cast<double>(end.QuadPart - start.QuadPart) /
                                               static_cast<double>(frequency.QuadPart) / count);
    return 0;
}
