#include "book_digest.h"

namespace {

// Each field with its length in front, so that no two different lists of fields hash the
// same bytes ("ab","c" against "a","bc").
void AddField(Sha256& sha, const std::string& text) {
    std::uint8_t length[8];
    const std::uint64_t size = text.size();
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<std::uint8_t>(size >> (8 * i));
    sha.Add(length, sizeof length);
    sha.Add(text.data(), text.size());
}

} // namespace

BookDigest::BookDigest(const std::string& server, const std::string& searchBase,
                       const std::string& account, const std::string& notesIni,
                       const std::string& mailServer) {
    for (const std::string* field : {&server, &searchBase, &account, &notesIni, &mailServer})
        AddField(header_, *field);
}

// The directory sends its entries in no given order (two servers behind one name send two),
// so the records are combined by addition, which does not depend on their order but counts
// each record as often as it comes. Against records that change by accident two different
// books share the sum with a chance of about 2^-255; a collision that someone builds needs
// thousands of entries of one's choosing, and whoever may write those can change the book
// directly. The count goes into the digest besides.
void BookDigest::AddRecord(const std::string& lastName, const std::string& firstName,
                           const std::string& phone, const std::string& mail) {
    Sha256 sha;
    for (const std::string* field : {&lastName, &firstName, &phone, &mail})
        AddField(sha, *field);
    std::uint8_t digest[32];
    sha.Digest(digest);
    unsigned carry = 0;
    for (int i = 31; i >= 0; --i) {
        const unsigned sum = sum_[i] + digest[i] + carry;
        sum_[i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
    ++records_;
}

std::string BookDigest::Finish() {
    AddField(header_, std::to_string(records_));
    header_.Add(sum_, sizeof sum_);
    return header_.HexDigest();
}

std::string FieldsDigest(const std::vector<std::string>& fields) {
    Sha256 sha;
    for (const std::string& field : fields)
        AddField(sha, field);
    return sha.HexDigest();
}
