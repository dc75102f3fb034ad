// Prints the policies the Group Policy template must hold for the values the programs read from
// the product key, one a line: "<key>\t<value name>\t<class>". A value read per user only has a
// user policy; one read machine-wide and then per user has a policy for both, and a computer
// policy writing it where the 32-bit programs read it on 64-bit Windows (the 32-bit view).
#include "product_keys.h"

#include <cstdio>
#include <string>

int main() {
    const std::string software = "SOFTWARE\\";
    for (const ProductValue& value : kProductValues) {
        const std::string key = value.key;
        if (value.roots == ProductRoots::PerUser) {
            std::printf("%s\t%s\tUser\n", key.c_str(), value.name);
            continue;
        }
        std::printf("%s\t%s\tBoth\n", key.c_str(), value.name);
        const std::string wow64 = software + "WOW6432Node\\" + key.substr(software.size());
        std::printf("%s\t%s\tMachine\n", wow64.c_str(), value.name);
    }
    return 0;
}
