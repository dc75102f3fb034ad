// Owners of the LDAP client library's results.
#ifndef TARN_LDAP_HANDLES_H
#define TARN_LDAP_HANDLES_H

#include <windows.h>
#include <winldap.h>

class LdapResult {
  public:
    LdapResult() = default;
    ~LdapResult() { reset(); }
    LdapResult(const LdapResult&) = delete;
    LdapResult& operator=(const LdapResult&) = delete;
    LDAPMessage* get() const { return message_; }
    LDAPMessage** receive() { return &message_; }
    void reset() {
        if (message_)
            ldap_msgfree(message_);
        message_ = nullptr;
    }

  private:
    LDAPMessage* message_ = nullptr;
};

class LdapValues {
  public:
    LdapValues(LDAP* session, LDAPMessage* entry, const char* attribute)
        : values_(ldap_get_valuesA(session, entry, const_cast<PCHAR>(attribute))) {}
    ~LdapValues() {
        if (values_)
            ldap_value_freeA(values_);
    }
    LdapValues(const LdapValues&) = delete;
    LdapValues& operator=(const LdapValues&) = delete;
    // The first value, or null when the entry lacks the attribute.
    const char* first() const { return values_ && values_[0] ? values_[0] : nullptr; }

  private:
    PCHAR* values_;
};

#endif
