// The digest of what a refresh writes into an address book: where it comes from (server,
// search base, bind account), where it goes (notes.ini, mail server) and its records as a
// multiset: the same records in any order give the same digest, a record twice counts twice.
// Only the digest is ever kept, never the directory's data.
#ifndef TARN_BOOK_DIGEST_H
#define TARN_BOOK_DIGEST_H

#include "sha256.h"

#include <cstdint>
#include <string>
#include <vector>

class BookDigest {
  public:
    BookDigest(const std::string& server, const std::string& searchBase, const std::string& account,
               const std::string& notesIni, const std::string& mailServer);
    void AddRecord(const std::string& lastName, const std::string& firstName,
                   const std::string& phone, const std::string& mail);
    unsigned long Records() const { return records_; }
    // 64 hex digits; the object is spent afterwards.
    std::string Finish();

  private:
    Sha256 header_;
    // The sum, modulo 2^256, of every record's own SHA-256 read as a big-endian number.
    std::uint8_t sum_[32] = {};
    unsigned long records_ = 0;
};

// The SHA-256, as 64 hex digits, of a list of texts, each with its length in front.
std::string FieldsDigest(const std::vector<std::string>& fields);

#endif
