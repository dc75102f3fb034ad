#include "lock_holder.h"

#include "refresh/refresh_rule.h"

#include <sstream>

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr char kTag[] = "TARNBOOK";

} // namespace

unsigned long LockBoundSeconds(unsigned long refreshDelay) {
    return refreshDelay + kRunBoundSeconds;
}

std::string LockHolderText(const LockHolder& holder) {
    return std::string(kTag) + " " + std::to_string(holder.pid) + " " +
           std::to_string(holder.start) + " " + std::to_string(holder.boundSeconds) + "\r\n";
}

bool ParseLockHolder(const std::string& text, LockHolder& holder) {
    std::istringstream fields(text);
    std::string tag, pid, start, bound, rest;
    return fields >> tag >> pid >> start >> bound && !(fields >> rest) && tag == kTag &&
           ParseDigits(pid, 10, holder.pid) && ParseDigits64(start, 19, holder.start) &&
           ParseDigits(bound, 10, holder.boundSeconds);
}

unsigned long BoundAtWork(const LockHolder& holder, std::uint64_t now) {
    const std::uint64_t held = now > holder.start ? (now - holder.start) / kTicksPerSecond : 0;
    return held + kRunBoundSeconds > holder.boundSeconds
               ? static_cast<unsigned long>(held + kRunBoundSeconds)
               : holder.boundSeconds;
}

bool IsLockStuck(const LockHolder& holder, std::uint64_t now) {
    return now >= holder.start && (now - holder.start) / kTicksPerSecond > holder.boundSeconds;
}
