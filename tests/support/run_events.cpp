#include "run_events.h"

#include "exit_status.h"
#include "temp_folder.h"
#include "win_path.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

// The text of a debugstr_w: L"..." with backslash escapes.
std::string Unquote(const std::string& text) {
    const std::size_t open = text.find("L\"");
    const std::size_t close = text.rfind('"');
    if (open == std::string::npos || close <= open + 1)
        return std::string();
    std::string out;
    for (std::size_t i = open + 2; i < close; ++i) {
        if (text[i] == '\\' && i + 1 < close)
            ++i;
        out += text[i];
    }
    return out;
}

} // namespace

std::vector<LoggedEvent> ReadRunEvents(DWORD processId) {
    std::vector<LoggedEvent> events;
    const std::string file = driver::EnvironmentValue("TARN_WINE_STDERR");
    if (file.empty())
        return events;
    std::istringstream lines(driver::ReadTextFile(driver::WindowsPath(file)));
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(processId));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, std::strlen(prefix), prefix) != 0)
            continue;
        const std::size_t call = line.find(":advapi:ReportEventA (");
        if (call != std::string::npos) {
            unsigned long handle = 0, type = 0, category = 0, id = 0;
            LoggedEvent event;
            if (std::sscanf(line.c_str() + call + 22, "%lx,0x%lx,0x%lx,0x%lx", &handle, &type,
                            &category, &id) == 4) {
                event.type = static_cast<WORD>(type);
                event.id = id;
                events.push_back(event);
            }
            continue;
        }
        const std::size_t text = line.find(":eventlog:ReportEventW ");
        if (text == std::string::npos || events.empty())
            continue;
        // "0100:0104:err:eventlog:ReportEventW L\"...\"": the class follows the thread id.
        const std::size_t classStart = line.find(':', std::strlen(prefix));
        events.back().channelClass = line.substr(classStart + 1, text - classStart - 1);
        events.back().strings.push_back(Unquote(line.substr(text)));
    }
    return events;
}

::testing::AssertionResult LeftOneEvent(const driver::Process& process, LoggedEvent& event) {
    const std::vector<LoggedEvent> events = ReadRunEvents(process.Id());
    if (events.size() != 1)
        return ::testing::AssertionFailure() << events.size() << " events in the log of process "
                                             << process.Id() << ", expected one";
    event = events.front();
    return ::testing::AssertionSuccess();
}

WORD EventTypeForExit(const std::string& program, int status) {
    const std::string name = program.substr(program.find_last_of("\\/") + 1);
    const bool book = name == "TARNBOOK.exe" || name == "TARNBOOK";
    if (book) {
        switch (status) {
        case kBookRefreshed:
            return EVENTLOG_INFORMATION_TYPE;
        case kBookIncomplete:
            return EVENTLOG_WARNING_TYPE;
        case kBookUnreachable:
        case kBookHeldByStuckRun:
            return EVENTLOG_ERROR_TYPE;
        default:
            return 0;
        }
    }
    switch (status) {
    case kSetupDone:
    case kSetupCancelled:
        return EVENTLOG_INFORMATION_TYPE;
    case kSetupInstallRefused:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_ERROR_TYPE;
    }
}
