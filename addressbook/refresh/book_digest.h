// The digest of what a refresh writes into an address book: where it comes from (server,
// search base, bind account), where it goes (notes.ini, mail server) and every record in its
// order. Only the digest is ever kept, never the directory's data.
#ifndef TARN_BOOK_DIGEST_H
#define TARN_BOOK_DIGEST_H

#include "sha256.h"

#include <string>

class BookDigest {
  public:
    BookDigest(const std::string& server, const std::string& searchBase, const std::string& account,
               const std::string& notesIni, const std::string& mailServer);
    void AddRecord(const std::string& lastName, const std::string& firstName,
                   const std::string& phone, const std::string& mail);
    unsigned long Records() const { return records_; }
    // 64 hex digits; the object is spent afterwards.
    std::string Finish() { return sha_.HexDigest(); }

  private:
    void Field(const std::string& text);

    Sha256 sha_;
    unsigned long records_ = 0;
};

#endif
