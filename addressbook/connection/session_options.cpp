#include "session_options.h"

namespace {

struct SessionOption {
    const char* name;
    int option;
    ULONG value;
    bool mayBeUnknown; // a library that lacks the feature may not know the option
};

const SessionOption kOptions[] = {
    {"protocol version 3", LDAP_OPT_PROTOCOL_VERSION, LDAP_VERSION3, false},
    {"no referral chasing", LDAP_OPT_REFERRALS, 0, false},
    {"no automatic reconnection", LDAP_OPT_AUTO_RECONNECT, 0, true},
    {"no size limit", LDAP_OPT_SIZELIMIT, 0, false},
    {"no time limit", LDAP_OPT_TIMELIMIT, 0, false},
};

} // namespace

SessionOptionsResult SetSessionOptions(LDAP* session) {
    SessionOptionsResult result;
    for (const SessionOption& option : kOptions) {
        // On/off options take LDAP_OPT_ON or LDAP_OPT_OFF itself; the others a pointer to
        // their value.
        ULONG value = option.value;
        const bool onOff =
            option.option == LDAP_OPT_REFERRALS || option.option == LDAP_OPT_AUTO_RECONNECT;
        const ULONG code = ldap_set_option(session, option.option,
                                           onOff ? LDAP_OPT_OFF : static_cast<void*>(&value));
        if (code == LDAP_SUCCESS || (option.mayBeUnknown && code == LDAP_NOT_SUPPORTED))
            continue;
        result.code = code;
        result.refused = option.name;
        return result;
    }
    return result;
}
