// SHA-256 (FIPS 180-4), for the digest of what a whole refresh wrote.
#ifndef TARN_SHA256_H
#define TARN_SHA256_H

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
  public:
    Sha256();
    void Add(const void* data, std::size_t size);
    // The digest's 32 bytes; the object is spent afterwards.
    void Digest(std::uint8_t (&digest)[32]);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

  private:
    void Block(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0; // bytes added
};

#endif
