#include "control_values.h"

#include <cstddef>

namespace {

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kBoolean = 0x01;
constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kOctetString = 0x04;
constexpr unsigned char kEnumerated = 0x0A;
constexpr unsigned char kGreaterOrEqual = 0x81; // [1], primitive

void PutLength(std::string& out, std::size_t length) {
    if (length < 0x80) {
        out += static_cast<char>(length);
        return;
    }
    std::string bytes;
    for (; length > 0; length >>= 8)
        bytes.insert(bytes.begin(), static_cast<char>(length & 0xFF));
    out += static_cast<char>(0x80 | bytes.size());
    out += bytes;
}

void PutElement(std::string& out, unsigned char tag, const std::string& content) {
    out += static_cast<char>(tag);
    PutLength(out, content.size());
    out += content;
}

// A 32-bit value as the server reads it: two's complement, in as few bytes as keep its sign.
std::string IntegerContent(unsigned long value) {
    const unsigned long bits = value & 0xFFFFFFFFul;
    std::string content;
    for (int shift = 24; shift >= 0; shift -= 8)
        content += static_cast<char>(bits >> shift & 0xFF);
    while (content.size() > 1) {
        const unsigned char first = static_cast<unsigned char>(content[0]);
        const unsigned char second = static_cast<unsigned char>(content[1]);
        if ((first == 0x00 && second < 0x80) || (first == 0xFF && second >= 0x80))
            content.erase(0, 1);
        else
            break;
    }
    return content;
}

// Reads one element of the given tag at at; its content goes to content.
bool GetElement(const std::string& in, std::size_t& at, unsigned char tag, std::string& content) {
    if (at + 2 > in.size() || static_cast<unsigned char>(in[at]) != tag)
        return false;
    ++at;
    std::size_t length = static_cast<unsigned char>(in[at++]);
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 4 || at + count > in.size())
            return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i)
            length = length << 8 | static_cast<unsigned char>(in[at++]);
    }
    if (length > in.size() - at)
        return false;
    content.assign(in, at, length);
    at += length;
    return true;
}

// A non-negative INTEGER's value, where it fits in 32 bits.
bool NonNegative(const std::string& content, unsigned long& value) {
    if (content.empty() || content.size() > 5 || (static_cast<unsigned char>(content[0]) & 0x80))
        return false;
    unsigned long long read = 0;
    for (char byte : content)
        read = read << 8 | static_cast<unsigned char>(byte);
    if (read > 0xFFFFFFFFull)
        return false;
    value = static_cast<unsigned long>(read);
    return true;
}

} // namespace

std::string EncodeDirSyncRequest(unsigned long flags, unsigned long maxBytes,
                                 const std::string& cookie) {
    std::string content;
    PutElement(content, kInteger, IntegerContent(flags));
    PutElement(content, kInteger, IntegerContent(maxBytes));
    PutElement(content, kOctetString, cookie);
    std::string value;
    PutElement(value, kSequence, content);
    return value;
}

bool DecodeDirSyncResponse(const std::string& value, DirSyncResponse& response) {
    std::size_t at = 0;
    std::string sequence, more, unused, cookie;
    if (!GetElement(value, at, kSequence, sequence) || at != value.size())
        return false;
    at = 0;
    if (!GetElement(sequence, at, kInteger, more) || more.empty() ||
        !GetElement(sequence, at, kInteger, unused) || unused.empty() ||
        !GetElement(sequence, at, kOctetString, cookie) || at != sequence.size())
        return false;
    bool any = false;
    for (char byte : more)
        any = any || byte != 0;
    response.moreResults = any;
    response.cookie = cookie;
    return true;
}

std::string EncodeSortRequest(const std::string& attribute) {
    std::string key, keys;
    PutElement(key, kOctetString, attribute);
    PutElement(keys, kSequence, key);
    std::string value;
    PutElement(value, kSequence, keys);
    return value;
}

std::string EncodeVlvRequest(const std::string& assertion) {
    std::string content;
    PutElement(content, kInteger, IntegerContent(0));
    PutElement(content, kInteger, IntegerContent(0));
    PutElement(content, kGreaterOrEqual, assertion);
    std::string value;
    PutElement(value, kSequence, content);
    return value;
}

bool DecodeVlvCount(const std::string& value, unsigned long& count) {
    std::size_t at = 0;
    std::string sequence, position, content, result;
    if (!GetElement(value, at, kSequence, sequence) || at != value.size())
        return false;
    at = 0;
    unsigned long code = 0, read = 0;
    if (!GetElement(sequence, at, kInteger, position) ||
        !GetElement(sequence, at, kInteger, content) ||
        !GetElement(sequence, at, kEnumerated, result) || !NonNegative(content, read) ||
        !NonNegative(result, code) || code != 0)
        return false;
    count = read;
    return true;
}

std::string EncodeSyncRefreshOnly() {
    const unsigned char kRefreshOnly = 1;
    std::string content;
    PutElement(content, kEnumerated, std::string(1, static_cast<char>(kRefreshOnly)));
    std::string value;
    PutElement(value, kSequence, content);
    return value;
}

bool DecodeSyncDone(const std::string& value, bool& hasCookie, std::string& cookie) {
    std::size_t at = 0;
    std::string sequence, read, deletes;
    if (!GetElement(value, at, kSequence, sequence) || at != value.size())
        return false;
    at = 0;
    const bool withCookie =
        at < sequence.size() && static_cast<unsigned char>(sequence[at]) == kOctetString;
    if (withCookie && !GetElement(sequence, at, kOctetString, read))
        return false;
    if (at < sequence.size() &&
        (!GetElement(sequence, at, kBoolean, deletes) || deletes.size() != 1))
        return false;
    if (at != sequence.size())
        return false;
    hasCookie = withCookie;
    cookie = read;
    return true;
}

std::string ValueBytes(const char* bytes, unsigned long length) {
    return bytes ? std::string(bytes, length) : std::string();
}
