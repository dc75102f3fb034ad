#include "policy_values.h"

#include "path_text.h"
#include "registry_text.h"
#include "setting_layers.h"
#include "win_handles.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

// The Policies key is shared by the 32-bit and the 64-bit view of the registry, so the plain
// view serves both builds.
HKEY RootOf(PolicyLayer layer) {
    return layer == PolicyLayer::MachinePolicy ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

const char* RootNameOf(PolicyLayer layer) {
    return layer == PolicyLayer::MachinePolicy ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "type " + std::to_string(type);
    }
}

enum class Holding { Absent, Usable, Unusable };

// A usable policy value: a text, or a number with its decimal digits as text.
struct PolicyValue {
    std::string text;
    DWORD number = 0;
};

const char* Wanted(ValueKind kind) {
    return kind == ValueKind::Number ? "a number must be REG_DWORD or a REG_SZ of decimal digits"
                                     : "a text must be REG_SZ or REG_EXPAND_SZ";
}

// Replaces the environment variables of stored; false where the result does not fit
// bufferSize with its terminator.
bool Expand(const char* stored, std::size_t bufferSize, std::string& expanded) {
    const DWORD needed = ExpandEnvironmentStringsA(stored, nullptr, 0);
    if (needed == 0)
        return false;
    // One byte more than it asks for: the ANSI function may need it.
    std::string buffer(static_cast<std::size_t>(needed) + 1, '\0');
    const DWORD made = ExpandEnvironmentStringsA(stored, &buffer[0], needed + 1);
    if (made == 0 || made > needed + 1)
        return false;
    expanded = buffer.c_str();
    return expanded.size() < bufferSize;
}

// Reads name of one policy key by its registry type, as kind wants it; why says what makes an
// unusable value unusable.
Holding ReadTyped(HKEY key, const char* name, ValueKind kind, PolicyValue& value,
                  std::string& why) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return Holding::Absent;
    if (kind == ValueKind::Number && type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        if (size != sizeof number ||
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number),
                             &numberSize) != ERROR_SUCCESS ||
            type != REG_DWORD || numberSize != sizeof number) {
            why = "a REG_DWORD must hold 4 bytes";
            return Holding::Unusable;
        }
        value.number = number;
        value.text = std::to_string(number);
        return Holding::Usable;
    }
    const bool textType = type == REG_SZ || (type == REG_EXPAND_SZ && kind != ValueKind::Number);
    if (!textType) {
        why = std::string(Wanted(kind)) + ", not " + TypeName(type);
        return Holding::Unusable;
    }
    const std::size_t bufferSize = BufferSizeOf(name);
    const std::string longest = std::to_string(bufferSize - 1);
    std::vector<char> stored(bufferSize, '\0');
    if (size > bufferSize || !ReadRegistryText(key, name, stored.data(), bufferSize)) {
        why = "it is longer than " + longest + " characters";
        return Holding::Unusable;
    }
    if (type == REG_EXPAND_SZ) {
        if (!Expand(stored.data(), bufferSize, value.text)) {
            why = "expanded, it is longer than " + longest + " characters";
            return Holding::Unusable;
        }
    } else {
        value.text = stored.data();
    }
    if (kind == ValueKind::Number) {
        std::uint32_t number = 0;
        if (!ParsePolicyNumber(value.text.c_str(), number)) {
            why = std::string(Wanted(kind)) + ", not the text \"" + value.text + "\"";
            return Holding::Unusable;
        }
        value.number = number;
    }
    return Holding::Usable;
}

// The deciding policy's value: the computer policy's where it holds a usable one, else the
// user policy's (a per-user value has the user policy only). A value of a wrong type in a
// layer consulted before the deciding one is reported.
bool ReadDeciding(const char* productKey, const char* name, ProductRoots roots, ValueKind kind,
                  PolicyValue& value, PolicyReports& reports) {
    const char* policyKey = PolicyKeyOf(productKey);
    PolicyValue found[3];
    std::string why[3];
    unsigned held = 0, unusable = 0;
    for (PolicyLayer layer : {PolicyLayer::MachinePolicy, PolicyLayer::UserPolicy}) {
        if (layer == PolicyLayer::MachinePolicy && roots == ProductRoots::PerUser)
            continue;
        const auto at = static_cast<unsigned>(layer);
        RegKey key;
        if (RegOpenKeyExA(RootOf(layer), policyKey, 0, KEY_QUERY_VALUE, key.receive()) !=
            ERROR_SUCCESS)
            continue;
        switch (ReadTyped(key.get(), name, kind, found[at], why[at])) {
        case Holding::Usable:
            held |= LayerBit(layer);
            break;
        case Holding::Unusable:
            unusable |= LayerBit(layer);
            break;
        case Holding::Absent:
            break;
        }
    }
    const PolicyLayer deciding = DecidingPolicy(held, roots);
    for (PolicyLayer layer : {PolicyLayer::MachinePolicy, PolicyLayer::UserPolicy}) {
        if ((unusable & LayerBit(layer)) && ConsultedBefore(layer, deciding))
            reports.push_back(std::string("The policy value ") + name + " under " +
                              RootNameOf(layer) + "\\" + policyKey +
                              " is ignored: " + why[static_cast<unsigned>(layer)] + ".");
    }
    if (deciding == PolicyLayer::None)
        return false;
    value = found[static_cast<unsigned>(deciding)];
    return true;
}

} // namespace

bool ReadPolicyText(const char* productKey, const char* name, ProductRoots roots, char* buffer,
                    std::size_t bufferSize, PolicyReports& reports) {
    PolicyValue value;
    if (!ReadDeciding(productKey, name, roots, KindOfValue(name), value, reports) ||
        value.text.size() >= bufferSize)
        return false;
    std::memcpy(buffer, value.text.c_str(), value.text.size() + 1);
    return true;
}

bool ReadPolicyNumber(const char* productKey, const char* name, ProductRoots roots, DWORD& value,
                      PolicyReports& reports) {
    PolicyValue read;
    if (!ReadDeciding(productKey, name, roots, ValueKind::Number, read, reports))
        return false;
    value = read.number;
    return true;
}
