#include "base64.h"

#include <cstddef>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

} // namespace

std::string Base64(const std::string& bytes) {
    std::string text;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned long group = static_cast<unsigned char>(bytes[i]) << 16 |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                    static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            text += kAlphabet[group >> shift & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned long group = static_cast<unsigned long>(static_cast<unsigned char>(bytes[i]))
                              << 16;
        if (rest == 2)
            group |= static_cast<unsigned long>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        text += kAlphabet[group >> 18 & 0x3F];
        text += kAlphabet[group >> 12 & 0x3F];
        text += rest == 2 ? kAlphabet[group >> 6 & 0x3F] : '=';
        text += '=';
    }
    return text;
}

bool FromBase64(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0)
        return false;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int sextets[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                sextets[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0 || (sextets[k] = Sextet(c)) < 0)
                return false;
        }
        const unsigned long group = static_cast<unsigned long>(sextets[0]) << 18 |
                                    static_cast<unsigned long>(sextets[1]) << 12 |
                                    static_cast<unsigned long>(sextets[2]) << 6 |
                                    static_cast<unsigned long>(sextets[3]);
        out += static_cast<char>(group >> 16 & 0xFF);
        if (padding < 2)
            out += static_cast<char>(group >> 8 & 0xFF);
        if (padding < 1)
            out += static_cast<char>(group & 0xFF);
        // Bits the padding leaves over must be zero, so that one text stands for one value.
        if ((padding == 1 && (group & 0xFF)) || (padding == 2 && (group & 0xFFFF)))
            return false;
    }
    bytes = out;
    return true;
}
