#include "setting_layers.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kUser = LayerBit(PolicyLayer::UserPolicy);
constexpr unsigned kMachine = LayerBit(PolicyLayer::MachinePolicy);

TEST(SettingLayers, TheComputerPolicyWinsOverTheUsersAndNeitherLeavesItToTheProductKeys) {
    struct Case {
        unsigned held;
        ProductRoots roots;
        PolicyLayer deciding;
    } const cases[] = {
        {0, ProductRoots::MachineThenUser, PolicyLayer::None},
        {kUser, ProductRoots::MachineThenUser, PolicyLayer::UserPolicy},
        {kMachine, ProductRoots::MachineThenUser, PolicyLayer::MachinePolicy},
        {kUser | kMachine, ProductRoots::MachineThenUser, PolicyLayer::MachinePolicy},
        // The trace settings are the user's: a computer policy does not count for them.
        {kMachine, ProductRoots::PerUser, PolicyLayer::None},
        {kUser | kMachine, ProductRoots::PerUser, PolicyLayer::UserPolicy},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecidingPolicy(c.held, c.roots), c.deciding) << "held layers " << c.held;
}

} // namespace
