// Which policy decides a setting of the product keys. Above the product keys (the
// machine-wide and the per-user one, read as they always were) lie the policy keys that Group
// Policy writes: the user policy and, winning over it as Windows has it for a setting both
// configure, the computer policy. Where neither holds the value, the product keys decide.
#ifndef TARN_SETTING_LAYERS_H
#define TARN_SETTING_LAYERS_H

#include "product_keys.h"

#include <cstdint>

enum class PolicyLayer { None, UserPolicy, MachinePolicy };

// The bit of a policy layer in a set of layers that hold a value.
constexpr unsigned LayerBit(PolicyLayer layer) {
    return 1u << static_cast<unsigned>(layer);
}

// The policy whose value counts, given the set of policy layers that hold it. A value read per
// user only (the trace settings) has the user policy alone. None: the product keys decide.
PolicyLayer DecidingPolicy(unsigned held, ProductRoots roots);

// Whether a policy layer is consulted before the deciding one (None: every layer is): a value
// of a wrong type there is worth reporting, as it would have decided.
constexpr bool ConsultedBefore(PolicyLayer layer, PolicyLayer deciding) {
    return static_cast<unsigned>(layer) > static_cast<unsigned>(deciding);
}

// A number that a policy stores as text: decimal digits only (no sign, no blanks), at most
// 4294967295. False for anything else, value unchanged.
bool ParsePolicyNumber(const char* text, std::uint32_t& value);

#endif
