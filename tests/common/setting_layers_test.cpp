#include "setting_layers.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kMachine = LayerBit(SettingLayer::MachineProduct);
constexpr unsigned kUser = LayerBit(SettingLayer::UserProduct);
constexpr unsigned kUserPolicy = LayerBit(SettingLayer::UserPolicy);
constexpr unsigned kMachinePolicy = LayerBit(SettingLayer::MachinePolicy);

TEST(SettingLayers, TheComputerPolicyWinsThenTheUserPolicyThenTheUsersOwnThenTheMachines) {
    struct Case {
        unsigned held;
        ProductRoots roots;
        SettingLayer deciding;
    } const cases[] = {
        {0, ProductRoots::MachineThenUser, SettingLayer::None},
        {kMachine, ProductRoots::MachineThenUser, SettingLayer::MachineProduct},
        {kMachine | kUser, ProductRoots::MachineThenUser, SettingLayer::UserProduct},
        {kMachine | kUser | kUserPolicy, ProductRoots::MachineThenUser, SettingLayer::UserPolicy},
        {kUser | kUserPolicy | kMachinePolicy, ProductRoots::MachineThenUser,
         SettingLayer::MachinePolicy},
        {kMachinePolicy, ProductRoots::MachineThenUser, SettingLayer::MachinePolicy},
        {kMachine | kUserPolicy, ProductRoots::MachineThenUser, SettingLayer::UserPolicy},
        // The trace settings are the user's: machine-wide layers do not count for them.
        {kMachine | kMachinePolicy, ProductRoots::PerUser, SettingLayer::None},
        {kUser | kMachinePolicy, ProductRoots::PerUser, SettingLayer::UserProduct},
        {kUser | kUserPolicy | kMachinePolicy, ProductRoots::PerUser, SettingLayer::UserPolicy},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecidingLayer(c.held, c.roots), c.deciding) << "held layers " << c.held;
}

} // namespace
