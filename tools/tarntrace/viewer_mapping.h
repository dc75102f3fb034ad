// The named block "VXTRACE_WINDOW_HANDLE" through which the programs' trace client finds
// the viewer: its first 4 bytes hold the viewer window's handle as a 32-bit value.
#ifndef TARN_VIEWER_MAPPING_H
#define TARN_VIEWER_MAPPING_H

#include "win_handles.h"

#include <windows.h>

#include <string>

extern const char kViewerMappingName[];

// The window of a viewer that is running now, or null: a block exists and names a live window.
HWND RunningViewerWindow();

// Publishes window in the block for as long as the returned handle stays open. A block left
// behind by a viewer whose window has gone is taken over. Fails, with the reason in error,
// when another viewer's window is alive or the block cannot be made or written.
int PublishViewerWindow(HWND window, KernelHandle& mapping, std::string& error);

#endif
