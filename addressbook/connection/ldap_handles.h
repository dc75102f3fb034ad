// Owners of what the LDAP client library hands out: result chains, value lists, controls,
// cookies and texts. Each frees its object with the library's own call.
#ifndef TARN_LDAP_HANDLES_H
#define TARN_LDAP_HANDLES_H

#include <windows.h>
#include <winldap.h>
#include <winber.h>

#include <utility>

// Holds one object of the library and frees it with Free::operator().
template <typename T, typename Free> class LdapOwned {
  public:
    LdapOwned() = default;
    explicit LdapOwned(T object) : object_(object) {}
    ~LdapOwned() { reset(); }
    LdapOwned(const LdapOwned&) = delete;
    LdapOwned& operator=(const LdapOwned&) = delete;
    LdapOwned(LdapOwned&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    LdapOwned& operator=(LdapOwned&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    T get() const { return object_; }
    T* receive() {
        reset();
        return &object_;
    }
    void reset() {
        if (object_)
            Free()(object_);
        object_ = nullptr;
    }

  private:
    T object_ = nullptr;
};

struct LdapMessageFree {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
struct LdapWideValuesFree {
    void operator()(PWCHAR* values) const { ldap_value_freeW(values); }
};
struct LdapControlFree {
    void operator()(LDAPControlA* control) const { ldap_control_freeA(control); }
};
struct LdapControlsFree {
    void operator()(LDAPControlA** controls) const { ldap_controls_freeA(controls); }
};
struct LdapCookieFree {
    void operator()(berval* cookie) const { ber_bvfree(cookie); }
};
struct LdapTextFree {
    void operator()(PCHAR text) const { ldap_memfreeA(text); }
};
struct LdapWideTextFree {
    void operator()(PWCHAR text) const { ldap_memfreeW(text); }
};
struct LdapValuesFree {
    void operator()(PCHAR* values) const { ldap_value_freeA(values); }
};
struct LdapPositionFree {
    void operator()(BerElement* position) const { ber_free(position, 0); }
};

// A result chain: a search's result or one page of it.
using LdapResult = LdapOwned<LDAPMessage*, LdapMessageFree>;
// The values of one attribute as UTF-16 texts.
using LdapWideValues = LdapOwned<PWCHAR*, LdapWideValuesFree>;
using LdapControl = LdapOwned<LDAPControlA*, LdapControlFree>;
using LdapControls = LdapOwned<LDAPControlA**, LdapControlsFree>;
using LdapCookie = LdapOwned<berval*, LdapCookieFree>;
using LdapText = LdapOwned<PCHAR, LdapTextFree>;
using LdapWideText = LdapOwned<PWCHAR, LdapWideTextFree>;
// The values of one attribute as the server sent them.
using LdapValues = LdapOwned<PCHAR*, LdapValuesFree>;
// Where a walk over an entry's attributes stands.
using LdapPosition = LdapOwned<BerElement*, LdapPositionFree>;

#endif
