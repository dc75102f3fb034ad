// Registry keys of the product, looked up under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, and
// every value the programs read from them. Each key has its policy key under
// SOFTWARE\Policies, whose values win over the product keys'. The Group Policy template
// (docs/policy) has one policy per entry of kProductValues; its test reads this list.
#ifndef TARN_PRODUCT_KEYS_H
#define TARN_PRODUCT_KEYS_H

#include "path_text.h"

#include <cstddef>
#include <cstring>

// Trace settings (per user).
#define TARN_PRODUCT_KEY "SOFTWARE\\VEXMAR\\Voxtarion\\Varnel Desktop"
// Notes location and directory settings.
#define TARN_NOTES_KEY TARN_PRODUCT_KEY "\\Lotus Notes"
// The same keys in the part of the user's registry that Windows keeps on this computer and
// never carries along with a roaming profile (HKEY_CURRENT_USER_LOCAL_SETTINGS), per user.
#define TARN_LOCAL_PRODUCT_KEY "Software\\Classes\\Local Settings\\" TARN_PRODUCT_KEY
#define TARN_LOCAL_NOTES_KEY TARN_LOCAL_PRODUCT_KEY "\\Lotus Notes"
// The same keys where Group Policy writes: below SOFTWARE\Policies, in HKLM (computer
// policy) and HKCU (user policy). Shared by the 32-bit and the 64-bit view of the registry.
#define TARN_POLICY_PRODUCT_KEY "SOFTWARE\\Policies\\VEXMAR\\Voxtarion\\Varnel Desktop"
#define TARN_POLICY_NOTES_KEY TARN_POLICY_PRODUCT_KEY "\\Lotus Notes"

// Under the product key, read per user only.
constexpr char kTraceComponentsValue[] = "TRACE COMPONENTS";
constexpr char kTraceToFileValue[] = "TRACE TO FILE";
constexpr char kTraceFileValue[] = "TRACE FILE";
// Under the Notes key, read machine-wide first and then per user.
constexpr char kHostNameValue[] = "HostName";
constexpr char kPortNumberValue[] = "PortNumber";
constexpr char kSearchBaseValue[] = "SearchBase";
constexpr char kNotesIniPathValue[] = "NotesIniPath";
constexpr char kNotesDllPathValue[] = "NotesDllPath";
constexpr char kBindMethodValue[] = "BindMethod";
constexpr char kBindUserValue[] = "BindUser";
constexpr char kBindDomainValue[] = "BindDomain";
constexpr char kSecurityValue[] = "Security";
// "1" lets a simple bind send its password over plain LDAP; anything else refuses it.
constexpr char kAllowClearTextBindValue[] = "AllowClearTextBind";
// Whether an unattended run rewrites an unchanged address book ("always", "changed"), and
// after how many days a whole refresh is forced all the same.
constexpr char kRefreshValue[] = "Refresh";
constexpr char kRefreshDaysValue[] = "RefreshDays";
// The longest random wait, in seconds, of an unattended run before a whole download.
constexpr char kRefreshDelayValue[] = "RefreshDelay";
// Who and what the address book takes: the search filter, the attribute of each field, and the
// share of records by which a download may fall short of the last whole refresh's before the
// book is left alone.
constexpr char kSearchFilterValue[] = "SearchFilter";
constexpr char kLastNameAttributeValue[] = "LastNameAttribute";
constexpr char kFirstNameAttributeValue[] = "FirstNameAttribute";
constexpr char kPhoneAttributeValue[] = "PhoneAttribute";
constexpr char kMailAttributeValue[] = "MailAttribute";
constexpr char kShrinkLimitValue[] = "ShrinkLimit";
// "1" lets a Negotiate bind over plain LDAP fall back to NTLM; anything else: Kerberos only.
constexpr char kAllowNtlmValue[] = "AllowNtlm";
// A published book: the folder a desktop reads it from instead of the directory, what a run does
// where that folder gives no usable book ("directory", "none"), and how many differences the
// publisher keeps.
constexpr char kBookSourceValue[] = "BookSource";
constexpr char kBookSourceFallbackValue[] = "BookSourceFallback";
constexpr char kPublishKeepValue[] = "PublishKeep";
// The bind password, encrypted for one computer (HKLM) or one user (HKCU): no policy can hand
// it out, so it is not in kProductValues; TARNBOOK /setbindpassword stores it on each computer.
constexpr char kBindPasswordValue[] = "BindPassword";

enum class ProductRoots { PerUser, MachineThenUser };

// What a value holds, which decides the registry types a policy may store it as: a text
// (REG_SZ, or REG_EXPAND_SZ, expanded), a path (a text the template lets expand) or a number
// (REG_DWORD, or a REG_SZ of decimal digits).
enum class ValueKind { Text, Path, Number };

struct ProductValue {
    const char* key;
    const char* name;
    ProductRoots roots;
    ValueKind kind;
};

inline constexpr ProductValue kProductValues[] = {
    {TARN_PRODUCT_KEY, kTraceComponentsValue, ProductRoots::PerUser, ValueKind::Number},
    {TARN_PRODUCT_KEY, kTraceToFileValue, ProductRoots::PerUser, ValueKind::Number},
    {TARN_PRODUCT_KEY, kTraceFileValue, ProductRoots::PerUser, ValueKind::Path},
    {TARN_NOTES_KEY, kHostNameValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kPortNumberValue, ProductRoots::MachineThenUser, ValueKind::Number},
    {TARN_NOTES_KEY, kSearchBaseValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kNotesIniPathValue, ProductRoots::MachineThenUser, ValueKind::Path},
    {TARN_NOTES_KEY, kNotesDllPathValue, ProductRoots::MachineThenUser, ValueKind::Path},
    {TARN_NOTES_KEY, kBindMethodValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kBindUserValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kBindDomainValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kSecurityValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kAllowClearTextBindValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kRefreshValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kRefreshDaysValue, ProductRoots::MachineThenUser, ValueKind::Number},
    {TARN_NOTES_KEY, kRefreshDelayValue, ProductRoots::MachineThenUser, ValueKind::Number},
    {TARN_NOTES_KEY, kSearchFilterValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kLastNameAttributeValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kFirstNameAttributeValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kPhoneAttributeValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kMailAttributeValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kShrinkLimitValue, ProductRoots::MachineThenUser, ValueKind::Number},
    {TARN_NOTES_KEY, kAllowNtlmValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kBookSourceValue, ProductRoots::MachineThenUser, ValueKind::Path},
    {TARN_NOTES_KEY, kBookSourceFallbackValue, ProductRoots::MachineThenUser, ValueKind::Text},
    {TARN_NOTES_KEY, kPublishKeepValue, ProductRoots::MachineThenUser, ValueKind::Number},
};

// The kind of a value of kProductValues; a name not in the list is a text.
inline ValueKind KindOfValue(const char* name) {
    for (const ProductValue& value : kProductValues) {
        if (std::strcmp(value.name, name) == 0)
            return value.kind;
    }
    return ValueKind::Text;
}

// The buffer a value is read into, terminator included: a search filter may be far longer than
// a path (a few clauses for the accounts to leave out); every other value has the path limit.
constexpr std::size_t kFilterBufferSize = 4096;
inline std::size_t BufferSizeOf(const char* name) {
    return std::strcmp(name, kSearchFilterValue) == 0 ? kFilterBufferSize : kPathBufferSize;
}

// The policy key of a product key: TARN_PRODUCT_KEY gives TARN_POLICY_PRODUCT_KEY,
// TARN_NOTES_KEY gives TARN_POLICY_NOTES_KEY.
inline const char* PolicyKeyOf(const char* productKey) {
    return std::strcmp(productKey, TARN_PRODUCT_KEY) == 0 ? TARN_POLICY_PRODUCT_KEY
                                                          : TARN_POLICY_NOTES_KEY;
}

#endif
