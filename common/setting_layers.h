// Where a setting of the product keys is read, and which of those places decides it. The
// product keys are the machine-wide and the per-user one; above them lie the policy keys
// that Group Policy writes, the user policy and, winning over it as Windows has it for a
// setting both configure, the computer policy.
#ifndef TARN_SETTING_LAYERS_H
#define TARN_SETTING_LAYERS_H

#include "product_keys.h"

enum class SettingLayer { MachineProduct, UserProduct, UserPolicy, MachinePolicy, None };

// The bit of a layer in a set of layers that hold a value.
constexpr unsigned LayerBit(SettingLayer layer) {
    return 1u << static_cast<unsigned>(layer);
}

constexpr bool IsPolicyLayer(SettingLayer layer) {
    return layer == SettingLayer::UserPolicy || layer == SettingLayer::MachinePolicy;
}

// The layer whose value counts, given the set of layers that hold it. A value read per user
// only (the trace settings) is decided by the user's own keys alone. None when no layer that
// counts holds it.
SettingLayer DecidingLayer(unsigned held, ProductRoots roots);

#endif
