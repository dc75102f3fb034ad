// What the windows of the calling process show at the moment of a bridge call.
#ifndef TARNHOOK_WINDOW_SNAPSHOT_H
#define TARNHOOK_WINDOW_SNAPSHOT_H

#include "call_record.h"

#include <vector>

namespace tarnhook {

// Every visible top-level window of this process, in z-order, with its child controls and
// the position and range of each progress bar among them.
std::vector<WindowRecord> SnapshotVisibleWindows();

} // namespace tarnhook

#endif
