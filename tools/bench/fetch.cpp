// The download's directory work and nothing else, as the benchmark's yardstick: an anonymous
// bind, the same subtree search with the same filter and attributes, and the walk with the
// same four value look-ups per entry. Prints the number of entries whose mail value would be
// written (it contains "@"), and on the error stream how long the search and the walk took.
//   bench_fetch HOST PORT BASE
#include <windows.h>
#include <winldap.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_fetch HOST PORT BASE\n");
        return 2;
    }
    LDAP* session = ldap_openA(argv[1], static_cast<ULONG>(std::atoi(argv[2])));
    if (!session) {
        std::fprintf(stderr, "ldap_open failed\n");
        return 1;
    }
    if (ldap_bind_sA(session, const_cast<PCHAR>(""), const_cast<PCHAR>(""), LDAP_AUTH_SIMPLE) !=
        LDAP_SUCCESS) {
        std::fprintf(stderr, "bind failed\n");
        ldap_unbind(session);
        return 1;
    }
    PCHAR attributes[] = {const_cast<PCHAR>("givenname"), const_cast<PCHAR>("sn"),
                          const_cast<PCHAR>("telephoneNumber"), const_cast<PCHAR>("mail"), nullptr};
    LDAPMessage* result = nullptr;
    LARGE_INTEGER frequency, start, searched, walked;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const ULONG code = ldap_search_sA(session, argv[3], LDAP_SCOPE_SUBTREE,
                                      const_cast<PCHAR>("cn=*"), attributes, 0, &result);
    if (code == static_cast<ULONG>(-1) || !result) {
        std::fprintf(stderr, "search failed: %lu\n", code);
        ldap_unbind(session);
        return 1;
    }
    QueryPerformanceCounter(&searched);
    long records = 0;
    for (LDAPMessage* entry = ldap_first_entry(session, result); entry;
         entry = ldap_next_entry(session, entry)) {
        for (PCHAR attribute : attributes) {
            if (!attribute)
                break;
            PCHAR* values = ldap_get_valuesA(session, entry, attribute);
            if (values && values[0] && attribute == attributes[3] && std::strchr(values[0], '@'))
                ++records;
            if (values)
                ldap_value_freeA(values);
        }
    }
    QueryPerformanceCounter(&walked);
    ldap_msgfree(result);
    ldap_unbind(session);
    std::printf("records %ld\n", records);
    const auto ms = [&frequency](LARGE_INTEGER from, LARGE_INTEGER to) {
        return static_cast<long>((to.QuadPart - from.QuadPart) * 1000 / frequency.QuadPart);
    };
    std::fprintf(stderr, "search %ld ms, walk %ld ms\n", ms(start, searched), ms(searched, walked));
    return 0;
}
