// The call log of the stand-in bridge: one block of text lines per call, with the call's
// arguments and result and the visible windows of the calling process at that moment.
#ifndef TARNHOOK_CALL_RECORD_H
#define TARNHOOK_CALL_RECORD_H

#include <cstdint>
#include <string>
#include <vector>

namespace tarnhook {

struct ControlRecord {
    int id = 0;
    std::string className;
    std::string text;
    bool isProgressBar = false; // position and range below are read only for a progress bar
    int position = 0;
    int low = 0;
    int high = 0;
};

struct WindowRecord {
    std::uintptr_t handle = 0;
    std::uintptr_t owner = 0;
    std::string className;
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
    std::string title;
    std::vector<ControlRecord> controls;
};

struct CallRecord {
    std::string exportName;
    std::vector<std::string> args; // in argument order, ints as decimal text
    int result = 0;
    std::vector<WindowRecord> windows;
};

// The argument text of a text parameter; a null pointer is logged as an empty text.
std::string ArgText(const char* text);

// The block of lines for one call, each ended by LF:
//   call <export>
//   arg <argument>                                   (one per argument)
//   result <decimal>
//   window <hex> owner=<hex or 0> class=<class> rect=<l>,<t>,<r>,<b> title=<title>
//   item <id> class=<class> text=<text>              (one per control of the window)
//   progress <id> pos=<position> min=<low> max=<high>  (after the item of a progress bar)
//   end
// CR and LF inside texts become blanks, so that each line stays one line.
std::string FormatCallRecord(const CallRecord& record);

} // namespace tarnhook

#endif
