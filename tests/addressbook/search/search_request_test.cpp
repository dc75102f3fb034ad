#include "search/search_request.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchRequest, AnAttributeSettingTakesANameWithOptionsButNoOid) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"sn", true},
        {"telephoneNumber", true},
        {"ipPhone", true},
        {"x-custom-phone", true},
        {"sn;lang-de", true},
        {"userCertificate;binary;x-1", true},
        {"", false},
        {"1sn", false},
        {"-sn", false},
        {"mobile phone", false},
        {"mail,sn", false},
        {"sn;", false},
        {"sn;;x", false},
        {"sn;lang de", false},
        // Servers name attributes in their answers by name: a value asked for by OID is never
        // found.
        {"2.5.4.20", false},
        {"0.9.2342.19200300.100.1.3", false},
        {"0.9.2342.19200300.100.1.3;lang-de", false},
        {"2", false},
        {"M\xC3\xBCller", false},
        {"sn\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAttributeDescription(c.text), c.valid) << '"' << c.text << '"';
}

TEST(SearchRequest, AnEmptyFilterSettingGivesTheDefaultAndAnyOtherIsTakenAsItIs) {
    EXPECT_EQ(FilterOf(""), "cn=*");
    EXPECT_EQ(FilterOf("mail=*"), "mail=*");
    EXPECT_EQ(FilterOf("(cn=*"), "(cn=*");
    const SearchRequest defaults;
    EXPECT_EQ(defaults.filter, "cn=*");
    EXPECT_EQ(defaults.firstName + defaults.lastName + defaults.phone + defaults.mail,
              "givennamesntelephoneNumbermail");
}

TEST(SearchRequest, TheAttributesAFilterNamesAreFoundOnceEach) {
    const struct {
        const char* filter;
        std::vector<std::string> attributes;
    } cases[] = {
        {"cn=*", {"cn"}},
        {"(mail=*)", {"mail"}},
        {"(&(objectCategory=person)(objectClass=user)(mail=*)"
         "(!(userAccountControl:1.2.840.113556.1.4.803:=2))(!(msExchHideFromAddressLists=TRUE)))",
         {"objectCategory", "objectClass", "mail", "userAccountControl",
          "msExchHideFromAddressLists"}},
        {"(|(sn=a\\28b)(SN>=c)(givenName~=d)(sn<=e))", {"sn", "givenName"}},
        {"(cn:dn:=Ann)", {"cn"}},
        {"(:dn:2.4.6.8.10:=Dino)", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterAttributes(c.filter), c.attributes) << c.filter;
}

} // namespace
