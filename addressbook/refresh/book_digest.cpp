#include "book_digest.h"

#include <cstdint>

BookDigest::BookDigest(const std::string& server, const std::string& searchBase,
                       const std::string& account, const std::string& notesIni,
                       const std::string& mailServer) {
    for (const std::string* field : {&server, &searchBase, &account, &notesIni, &mailServer})
        Field(*field);
}

void BookDigest::AddRecord(const std::string& lastName, const std::string& firstName,
                           const std::string& phone, const std::string& mail) {
    for (const std::string* field : {&lastName, &firstName, &phone, &mail})
        Field(*field);
    ++records_;
}

// Each field with its length in front, so that no two different lists of fields hash the
// same bytes ("ab","c" against "a","bc").
void BookDigest::Field(const std::string& text) {
    std::uint8_t length[8];
    const std::uint64_t size = text.size();
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<std::uint8_t>(size >> (8 * i));
    sha_.Add(length, sizeof length);
    sha_.Add(text.data(), text.size());
}
