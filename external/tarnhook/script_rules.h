// The call script of the stand-in bridge: which result an export returns on which call.
#ifndef TARNHOOK_SCRIPT_RULES_H
#define TARNHOOK_SCRIPT_RULES_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnhook {

// One rule: "Export=value" sets the result of every call of the export (callNumber 0),
// "Export#n=value" only that of its n-th call, counted from 1.
struct ScriptRule {
    std::string exportName;
    int callNumber = 0;
    int result = 0;
};

// Reads a script of rules separated by ';'. Blanks around names and numbers are ignored;
// empty and malformed rules are skipped.
std::vector<ScriptRule> ParseScript(std::string_view script);

// The result the rules set for the callNumber-th call of exportName, if any. A rule for that
// very call wins over a rule for every call; among rules of one kind the last one wins.
std::optional<int> ScriptedResult(const std::vector<ScriptRule>& rules, std::string_view exportName,
                                  int callNumber);

} // namespace tarnhook

#endif
