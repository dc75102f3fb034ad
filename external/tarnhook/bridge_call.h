// One call of a bridge export: its scripted result, and its record in the call log.
#ifndef TARNHOOK_BRIDGE_CALL_H
#define TARNHOOK_BRIDGE_CALL_H

#include <optional>
#include <string>
#include <vector>

namespace tarnhook {

class BridgeCall {
  public:
    // callNumber counts the calls of this export in this process, from 1.
    BridgeCall(const char* exportName, int callNumber, std::vector<std::string> args);

    // The result the call script sets for this call, if it sets one.
    const std::optional<int>& Scripted() const { return scripted_; }

    // Appends the call's record, with the process's visible windows, to the call log, and
    // returns result.
    int Return(int result) const;

  private:
    const char* exportName_;
    std::vector<std::string> args_;
    std::optional<int> scripted_;
};

} // namespace tarnhook

#endif
