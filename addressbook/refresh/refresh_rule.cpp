#include "refresh_rule.h"

#include <cctype>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

RefreshRule ParseRefreshRule(const std::string& refresh, const std::string& days,
                             std::string& problem) {
    RefreshRule rule;
    problem.clear();
    const std::string mode = Lower(refresh);
    if (mode == "changed")
        rule.changedOnly = true;
    else if (!mode.empty() && mode != "always")
        problem = "The value Refresh \"" + refresh +
                  "\" is not known (always, changed): every run refreshes the address book whole.";
    if (days.empty())
        return rule;
    // Decimal digits only, at most 5 of them (273 years is more than anyone needs).
    if (!ParseDigits(days, 5, rule.days)) {
        if (!problem.empty())
            problem += " ";
        problem += "The value RefreshDays \"" + days +
                   "\" is not a number of days: a whole refresh is forced after 7 days.";
    }
    return rule;
}

bool IsRefreshDue(const RefreshRule& rule, const LastRefresh& last, std::uint64_t now) {
    return now < last.time || (rule.days != 0 && now - last.time >= rule.days * kTicksPerDay);
}

RefreshVerdict JudgeRefresh(const RefreshRule& rule, const LastRefresh* last,
                            const std::string& digest, std::uint64_t now) {
    if (!last || last->digest.empty())
        return RefreshVerdict::Unknown;
    if (IsRefreshDue(rule, *last, now))
        return RefreshVerdict::Due;
    return last->digest == digest ? RefreshVerdict::Unchanged : RefreshVerdict::Changed;
}

OwnerChange CompareOwner(const RecordOwner& recorded, const RecordOwner& current) {
    if (recorded.computer != current.computer)
        return OwnerChange::Computer;
    if (recorded.notes != current.notes)
        return OwnerChange::Notes;
    if (recorded.bridge != current.bridge)
        return OwnerChange::Bridge;
    if (recorded.program != current.program)
        return OwnerChange::Program;
    return OwnerChange::None;
}

bool ParseDigits64(const std::string& text, std::size_t digits, std::uint64_t& value) {
    if (text.empty() || text.size() > digits || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool ParseDigits(const std::string& text, std::size_t digits, unsigned long& value) {
    std::uint64_t wide = 0;
    if (!ParseDigits64(text, digits, wide) || wide > 0xFFFFFFFFu)
        return false;
    value = static_cast<unsigned long>(wide);
    return true;
}

unsigned long ParseRefreshDelay(const std::string& delay, std::string& problem) {
    problem.clear();
    if (delay.empty())
        return 0;
    unsigned long seconds = 0;
    if (ParseDigits(delay, 5, seconds) && seconds <= kMostRefreshDelay)
        return seconds;
    problem = "The value RefreshDelay \"" + delay + "\" is not a number of seconds from 0 to " +
              std::to_string(kMostRefreshDelay) + ": a whole download starts at once.";
    return 0;
}

unsigned long ChosenDelay(unsigned long most, unsigned int random) {
    return most == 0 ? 0 : static_cast<unsigned long>(random % (most + 1));
}
