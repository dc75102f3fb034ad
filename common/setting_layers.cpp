#include "setting_layers.h"

PolicyLayer DecidingPolicy(unsigned held, ProductRoots roots) {
    if (roots == ProductRoots::MachineThenUser && (held & LayerBit(PolicyLayer::MachinePolicy)))
        return PolicyLayer::MachinePolicy;
    if (held & LayerBit(PolicyLayer::UserPolicy))
        return PolicyLayer::UserPolicy;
    return PolicyLayer::None;
}
