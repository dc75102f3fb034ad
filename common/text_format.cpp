#include "text_format.h"

std::string FormatWithArgument(const std::string& format, const std::string& arg) {
    std::string out;
    out.reserve(format.size() + arg.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                out += arg;
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}
