#include "policy_values.h"

#include "registry_text.h"
#include "setting_layers.h"

#include <initializer_list>

namespace {

// The Policies key is shared by the 32-bit and the 64-bit view of the registry, so the plain
// view serves both builds.
HKEY RootOf(SettingLayer layer) {
    return layer == SettingLayer::MachinePolicy ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

bool OpenDecidingPolicy(const char* productKey, const char* name, ProductRoots roots, RegKey& key) {
    key.reset();
    const char* policyKey = PolicyKeyOf(productKey);
    unsigned held = 0;
    for (SettingLayer layer : {SettingLayer::UserPolicy, SettingLayer::MachinePolicy}) {
        RegKey candidate;
        if (RegOpenKeyExA(RootOf(layer), policyKey, 0, KEY_QUERY_VALUE, candidate.receive()) ==
                ERROR_SUCCESS &&
            RegQueryValueExA(candidate.get(), name, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS)
            held |= LayerBit(layer);
    }
    const SettingLayer deciding = DecidingLayer(held, roots);
    if (!IsPolicyLayer(deciding))
        return false;
    return RegOpenKeyExA(RootOf(deciding), policyKey, 0, KEY_QUERY_VALUE, key.receive()) ==
           ERROR_SUCCESS;
}

bool ReadPolicyText(const char* productKey, const char* name, ProductRoots roots, char* buffer,
                    std::size_t bufferSize) {
    RegKey key;
    return OpenDecidingPolicy(productKey, name, roots, key) &&
           ReadRegistryText(key.get(), name, buffer, bufferSize);
}
