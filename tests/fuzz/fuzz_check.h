// Shared pieces of the fuzz targets: a check that stops the run with the failed property,
// and the splitting of one input into the fields a target needs.
#ifndef TARN_FUZZ_CHECK_H
#define TARN_FUZZ_CHECK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Aborts with the property that failed, so that the fuzzer keeps the input as a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// The input split at line feeds into at most count fields; the last takes the rest, line
// feeds included. Missing fields are empty. Seeds stay readable as text files.
inline std::vector<std::string> FuzzFields(const std::uint8_t* data, std::size_t size,
                                           std::size_t count) {
    std::vector<std::string> fields(count);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && field + 1 < count) {
            ++field;
            continue;
        }
        fields[field] += static_cast<char>(data[i]);
    }
    return fields;
}

// The text up to its first null, as a C routine sees it.
inline std::string UpToNull(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

#endif
