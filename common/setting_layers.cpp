#include "setting_layers.h"

PolicyLayer DecidingPolicy(unsigned held, ProductRoots roots) {
    if (roots == ProductRoots::MachineThenUser && (held & LayerBit(PolicyLayer::MachinePolicy)))
        return PolicyLayer::MachinePolicy;
    if (held & LayerBit(PolicyLayer::UserPolicy))
        return PolicyLayer::UserPolicy;
    return PolicyLayer::None;
}

bool ParsePolicyNumber(const char* text, std::uint32_t& value) {
    if (*text == '\0')
        return false;
    std::uint64_t number = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        number = number * 10u + static_cast<std::uint64_t>(*p - '0');
        if (number > 0xFFFFFFFFu)
            return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}
