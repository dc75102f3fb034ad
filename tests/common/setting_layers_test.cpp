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

TEST(SettingLayers, APolicyNumberStoredAsTextIsDigitsOnlyWithinThirtyTwoBits) {
    const std::pair<const char*, std::int64_t> cases[] = {{"0", 0},
                                                          {"389", 389},
                                                          {"4294967295", 4294967295},
                                                          {"0007", 7},
                                                          {"", -1},
                                                          {" 389", -1},
                                                          {"389 ", -1},
                                                          {"+389", -1},
                                                          {"-1", -1},
                                                          {"38a", -1},
                                                          {"0x10", -1},
                                                          {"4294967296", -1},
                                                          {"99999999999999999999", -1}};
    for (const auto& [text, expected] : cases) {
        std::uint32_t value = 12345;
        const bool parsed = ParsePolicyNumber(text, value);
        EXPECT_EQ(parsed, expected >= 0) << "[" << text << "]";
        EXPECT_EQ(value, parsed ? static_cast<std::uint32_t>(expected) : 12345u)
            << "[" << text << "]";
    }
}

TEST(SettingLayers, AWrongTypeIsWorthReportingOnlyInALayerConsultedBeforeTheDecidingOne) {
    EXPECT_TRUE(ConsultedBefore(PolicyLayer::MachinePolicy, PolicyLayer::None));
    EXPECT_TRUE(ConsultedBefore(PolicyLayer::UserPolicy, PolicyLayer::None));
    EXPECT_TRUE(ConsultedBefore(PolicyLayer::MachinePolicy, PolicyLayer::UserPolicy));
    EXPECT_FALSE(ConsultedBefore(PolicyLayer::UserPolicy, PolicyLayer::MachinePolicy));
    EXPECT_FALSE(ConsultedBefore(PolicyLayer::MachinePolicy, PolicyLayer::MachinePolicy));
}

} // namespace
