// The one-argument formatter: whatever a resource text holds, it puts the argument where
// "%s" stands, "%" where "%%" stands, and copies everything else; it never reads beyond
// the format or the argument.
#include "fuzz_check.h"
#include "text_format.h"

namespace {

// A format that shows text as it stands.
std::string Escaped(const std::string& text) {
    std::string format;
    for (char c : text) {
        format += c;
        if (c == '%')
            format += '%';
    }
    return format;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = FuzzFields(data, size, 3);
    const std::string& format = fields[0];
    const std::string& arg = fields[1];

    const std::string out = FormatWithArgument(format, arg);
    FUZZ_CHECK(out.size() <= format.size() + (format.size() / 2) * arg.size());
    if (format.find('%') == std::string::npos)
        FUZZ_CHECK(out == format);

    FUZZ_CHECK(FormatWithArgument(Escaped(format), arg) == format);
    FUZZ_CHECK(FormatWithArgument(Escaped(format) + "%s" + Escaped(fields[2]), arg) ==
               format + arg + fields[2]);
    return 0;
}
