// Prints the policies the Group Policy template must hold for the values the programs read, one
// a line: "<policy key>\t<value name>\t<class>\t<kind>" (kind: text, path or number). Each value is
// read from the policy key of its product key (below SOFTWARE\Policies, shared by both registry
// views): a value read per user only has a user policy; one read machine-wide and then per user has
// a policy for both.
#include "product_keys.h"

#include <cstdio>

int main() {
    for (const ProductValue& value : kProductValues) {
        const char* policyClass = value.roots == ProductRoots::PerUser ? "User" : "Both";
        const char* kind = value.kind == ValueKind::Number ? "number"
                           : value.kind == ValueKind::Path ? "path"
                                                           : "text";
        std::printf("%s\t%s\t%s\t%s\n", PolicyKeyOf(value.key), value.name, policyClass, kind);
    }
    return 0;
}
