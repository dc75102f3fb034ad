// Reading the policy keys that lie above the product keys (setting_layers.h). A policy value
// is read by its registry type, as its kind (product_keys.h) wants it: a text or a path is
// REG_SZ or REG_EXPAND_SZ (expanded with the process's environment), a number REG_DWORD or a
// REG_SZ of decimal digits. A value of any other type, or one that does not fit its buffer
// (BufferSizeOf, product_keys.h, in characters), counts as absent, so the next layer decides as
// it would without it, and it is handed back to the caller, who reports it in red (or, for a
// setting that no less trusted layer may replace, ends the run). An empty text is no value. Where
// no policy holds a usable value, the product keys decide exactly as they do without any policy.
#ifndef TARN_POLICY_VALUES_H
#define TARN_POLICY_VALUES_H

#include "product_keys.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The texts that say which policy values were refused and why, for the caller to report. The
// trace client, which cannot trace while it reads its own settings, reports them later.
using PolicyReports = std::vector<std::string>;

// The deciding policy's value of name as text into buffer (of bufferSize bytes, terminator
// included): a text as stored, expanded where it is REG_EXPAND_SZ; a number in decimal
// digits. False, buffer unchanged, where no policy holds a usable value.
bool ReadPolicyText(const char* productKey, const char* name, ProductRoots roots, char* buffer,
                    std::size_t bufferSize, PolicyReports& reports);

// The deciding policy's value of name as UTF-8 into text, every character as stored: for a
// value that goes to the directory server as it is. False, text unchanged, where no policy
// holds a usable value.
bool ReadPolicyUtf8(const char* productKey, const char* name, ProductRoots roots, std::string& text,
                    PolicyReports& reports);

// The deciding policy's value of name as a number. False, value unchanged, where no policy
// holds a usable one.
bool ReadPolicyNumber(const char* productKey, const char* name, ProductRoots roots, DWORD& value,
                      PolicyReports& reports);

#endif
