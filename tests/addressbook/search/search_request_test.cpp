#include "search/search_request.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchRequest, AnAttributeSettingTakesANameOrAnOidWithOptions) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"sn", true},
        {"telephoneNumber", true},
        {"ipPhone", true},
        {"x-custom-phone", true},
        {"2.5.4.20", true},
        {"1.3.6.1.4.1.4203.666.1", true},
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
        {"2", false},
        {"2.5.04.20", false},
        {"2.5..4", false},
        {"2.5.4.", false},
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
