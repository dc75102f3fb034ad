#include "bridge_call.h"

#include "call_record.h"
#include "environment.h"
#include "file_io.h"
#include "script_rules.h"
#include "window_snapshot.h"

#include <utility>

namespace tarnhook {

BridgeCall::BridgeCall(const char* exportName, int callNumber, std::vector<std::string> args)
    : exportName_(exportName), args_(std::move(args)),
      scripted_(
          ScriptedResult(ParseScript(EnvironmentValue(kScriptVariable)), exportName, callNumber)) {}

int BridgeCall::Return(int result) const {
    const std::string logPath = EnvironmentValue(kLogVariable);
    if (!logPath.empty()) {
        CallRecord record;
        record.exportName = exportName_;
        record.args = args_;
        record.result = result;
        record.windows = SnapshotVisibleWindows();
        AppendToFile(logPath, FormatCallRecord(record));
    }
    return result;
}

} // namespace tarnhook
