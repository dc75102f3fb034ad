#include "policy_values.h"

#include "path_text.h"
#include "registry_text.h"
#include "setting_layers.h"
#include "unicode_text.h"
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

// A usable policy value: a text as UTF-16, or a number with its decimal digits as text.
struct PolicyValue {
    std::wstring text;
    DWORD number = 0;
    std::string where; // the policy key that holds it, for reports
};

const char* Wanted(ValueKind kind) {
    return kind == ValueKind::Number ? "a number must be REG_DWORD or a REG_SZ of decimal digits"
                                     : "a text must be REG_SZ or REG_EXPAND_SZ";
}

// Replaces the environment variables of stored; false where the result does not fit
// bufferSize characters with its terminator.
bool Expand(const wchar_t* stored, std::size_t bufferSize, std::wstring& expanded) {
    const DWORD needed = ExpandEnvironmentStringsW(stored, nullptr, 0);
    if (needed == 0)
        return false;
    std::wstring buffer(static_cast<std::size_t>(needed), L'\0');
    const DWORD made = ExpandEnvironmentStringsW(stored, &buffer[0], needed);
    if (made == 0 || made > needed)
        return false;
    expanded = buffer.c_str();
    return expanded.size() < bufferSize;
}

// Reads name of one policy key by its registry type, as kind wants it, in UTF-16 (a text read
// through the code page could turn into another valid text); why says what makes an unusable
// value unusable. An empty text counts as absent.
Holding ReadTyped(HKEY key, const char* name, ValueKind kind, PolicyValue& value,
                  std::string& why) {
    const std::wstring wideName(name, name + std::strlen(name));
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return Holding::Absent;
    if (kind == ValueKind::Number && type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        if (size != sizeof number ||
            RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS ||
            type != REG_DWORD || numberSize != sizeof number) {
            why = "a REG_DWORD must hold 4 bytes";
            return Holding::Unusable;
        }
        value.number = number;
        const std::string digits = std::to_string(number);
        value.text.assign(digits.begin(), digits.end());
        return Holding::Usable;
    }
    const bool textType = type == REG_SZ || (type == REG_EXPAND_SZ && kind != ValueKind::Number);
    if (!textType) {
        why = std::string(Wanted(kind)) + ", not " + TypeName(type);
        return Holding::Unusable;
    }
    const std::size_t bufferSize = BufferSizeOf(name);
    const std::string longest = std::to_string(bufferSize - 1);
    std::wstring stored;
    if (!ReadRegistryWide(key, name, bufferSize, stored)) {
        why = "it is longer than " + longest + " characters";
        return Holding::Unusable;
    }
    if (type == REG_EXPAND_SZ) {
        if (!Expand(stored.c_str(), bufferSize, value.text)) {
            why = "expanded, it is longer than " + longest + " characters";
            return Holding::Unusable;
        }
    } else {
        value.text = stored;
    }
    if (value.text.empty())
        return Holding::Absent;
    if (kind == ValueKind::Number) {
        std::uint32_t number = 0;
        const std::string text = Utf8FromWide(value.text.data(), value.text.size());
        if (!ParsePolicyNumber(text.c_str(), number)) {
            why = std::string(Wanted(kind)) + ", not the text \"" + CodePageFromUtf8(text) + "\"";
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
                              " cannot be used: " + why[static_cast<unsigned>(layer)] + ".");
    }
    if (deciding == PolicyLayer::None)
        return false;
    value = found[static_cast<unsigned>(deciding)];
    value.where = std::string(RootNameOf(deciding)) + "\\" + policyKey;
    return true;
}

} // namespace

bool ReadPolicyText(const char* productKey, const char* name, ProductRoots roots, char* buffer,
                    std::size_t bufferSize, PolicyReports& reports) {
    PolicyValue value;
    if (!ReadDeciding(productKey, name, roots, KindOfValue(name), value, reports))
        return false;
    // As a read through the code page gives it: a character the code page lacks becomes "?",
    // never a look-alike that could name another file or server.
    // (UTF-8 as the code page holds every character and takes no such flag.)
    std::string text;
    const int wide = static_cast<int>(value.text.size());
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(CP_ACP, flags, value.text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_ACP, flags, value.text.data(), wide, &text[0], size, nullptr,
                            nullptr);
    }
    // Too long once in the code page: refused like any value that cannot be used, never passed
    // over in silence.
    if (text.size() >= bufferSize) {
        reports.push_back(std::string("The policy value ") + name + " under " + value.where +
                          " cannot be used: it is longer than " + std::to_string(bufferSize - 1) +
                          " bytes in this computer's code page.");
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

bool ReadPolicyUtf8(const char* productKey, const char* name, ProductRoots roots, std::string& text,
                    PolicyReports& reports) {
    PolicyValue value;
    if (!ReadDeciding(productKey, name, roots, KindOfValue(name), value, reports))
        return false;
    text = Utf8FromWide(value.text.data(), value.text.size());
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
