// Values the download takes from the registry and the directory: the PortNumber text
// converted as the standard decimal conversion does (wrapping instead of overflowing), and
// the test for an Internet mail address.
#include "fuzz_check.h"
#include "mail_address.h"
#include "settings/port_number.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void CheckPort(const std::string& text) {
    const std::vector<char> buffer(text.c_str(), text.c_str() + text.size() + 1);
    const int port = ParsePortNumber(buffer.data());
    // Where the number fits 64 bits, the standard conversion agrees, modulo 2^32.
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    std::size_t digits = 0;
    while (IsDigit(p[digits]))
        ++digits;
    if (digits <= 18) {
        const long long expected = std::strtoll(text.c_str(), nullptr, 10);
        FUZZ_CHECK(port == static_cast<int>(static_cast<std::uint32_t>(expected)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = UpToNull(std::string(reinterpret_cast<const char*>(data), size));
    CheckPort(text);

    std::int32_t number = 0;
    std::memcpy(&number, data, std::min(size, sizeof number));
    FUZZ_CHECK(ParsePortNumber(std::to_string(number).c_str()) == number);

    const std::string mail(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(IsInternetMailAddress(mail) == (std::memchr(data, '@', size) != nullptr));
    FUZZ_CHECK(IsInternetMailAddress(mail + "@"));
    FUZZ_CHECK(RecordRefusedText(mail).find(mail) != std::string::npos);
    return 0;
}
