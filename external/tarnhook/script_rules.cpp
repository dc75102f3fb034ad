#include "script_rules.h"

#include <charconv>

namespace tarnhook {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A whole text of decimal digits with an optional sign that fits an int.
std::optional<int> ParseInt(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<ScriptRule> ParseRule(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    std::string_view target = text.substr(0, equals);
    const std::optional<int> result = ParseInt(text.substr(equals + 1));
    if (!result)
        return std::nullopt;

    ScriptRule rule;
    rule.result = *result;
    const std::size_t hash = target.find('#');
    if (hash != std::string_view::npos) {
        const std::optional<int> callNumber = ParseInt(target.substr(hash + 1));
        if (!callNumber || *callNumber < 1)
            return std::nullopt;
        rule.callNumber = *callNumber;
        target = target.substr(0, hash);
    }
    target = Trim(target);
    if (target.empty())
        return std::nullopt;
    rule.exportName = std::string(target);
    return rule;
}

} // namespace

std::vector<ScriptRule> ParseScript(std::string_view script) {
    std::vector<ScriptRule> rules;
    while (!script.empty()) {
        const std::size_t separator = script.find(';');
        const std::string_view text = script.substr(0, separator);
        if (std::optional<ScriptRule> rule = ParseRule(text))
            rules.push_back(std::move(*rule));
        if (separator == std::string_view::npos)
            break;
        script.remove_prefix(separator + 1);
    }
    return rules;
}

std::optional<int> ScriptedResult(const std::vector<ScriptRule>& rules, std::string_view exportName,
                                  int callNumber) {
    std::optional<int> everyCall;
    std::optional<int> thisCall;
    for (const ScriptRule& rule : rules) {
        if (rule.exportName != exportName)
            continue;
        if (rule.callNumber == 0)
            everyCall = rule.result;
        else if (rule.callNumber == callNumber)
            thisCall = rule.result;
    }
    return thisCall ? thisCall : everyCall;
}

} // namespace tarnhook
