// Reading the policy keys that lie above the product keys (setting_layers.h). Where no policy
// holds a value, the product keys decide it exactly as they do without any policy.
#ifndef TARN_POLICY_VALUES_H
#define TARN_POLICY_VALUES_H

#include "product_keys.h"
#include "win_handles.h"

#include <windows.h>

#include <cstddef>

// Opens for reading, into key, the policy key that decides the value name of productKey:
// the computer policy's where it holds the value, else the user policy's (a per-user value
// has the user policy only). False, key empty, where no policy holds the value.
bool OpenDecidingPolicy(const char* productKey, const char* name, ProductRoots roots, RegKey& key);

// The deciding policy's value as text (ReadRegistryText's rules); false where no policy holds
// the value or it does not fit, buffer unchanged.
bool ReadPolicyText(const char* productKey, const char* name, ProductRoots roots, char* buffer,
                    std::size_t bufferSize);

#endif
