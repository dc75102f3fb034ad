#include "policy_values.h"

#include "path_text.h"
#include "registry_text.h"
#include "setting_layers.h"

#include <initializer_list>

namespace {

// The Policies key is shared by the 32-bit and the 64-bit view of the registry, so the plain
// view serves both builds.
HKEY RootOf(PolicyLayer layer) {
    return layer == PolicyLayer::MachinePolicy ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// A value that fits the programs' buffers; one too long to be read counts as absent, so the
// next layer decides as it would without it.
bool Holds(HKEY key, const char* name) {
    DWORD size = 0;
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
           size <= kPathBufferSize;
}

} // namespace

bool OpenDecidingPolicy(const char* productKey, const char* name, ProductRoots roots, RegKey& key) {
    key.reset();
    const char* policyKey = PolicyKeyOf(productKey);
    unsigned held = 0;
    for (PolicyLayer layer : {PolicyLayer::UserPolicy, PolicyLayer::MachinePolicy}) {
        if (layer == PolicyLayer::MachinePolicy && roots == ProductRoots::PerUser)
            continue;
        RegKey candidate;
        if (RegOpenKeyExA(RootOf(layer), policyKey, 0, KEY_QUERY_VALUE, candidate.receive()) ==
                ERROR_SUCCESS &&
            Holds(candidate.get(), name))
            held |= LayerBit(layer);
    }
    const PolicyLayer deciding = DecidingPolicy(held, roots);
    if (deciding == PolicyLayer::None)
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
