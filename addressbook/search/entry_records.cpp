#include "entry_records.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Records are packed into blocks of this size; a larger record gets a block of its own size.
constexpr size_t kBlockSize = 64 * 1024;

enum : unsigned char { kHasMail = 1, kExact = 2 };

// A field is its length, seven bits a byte with the high bit set on all but the last, and
// then its bytes: the values may hold any byte.
void PackField(std::string& packed, const std::string& field) {
    size_t length = field.size();
    do {
        const unsigned char low = static_cast<unsigned char>(length & 0x7f);
        length >>= 7;
        packed.push_back(static_cast<char>(length ? low | 0x80 : low));
    } while (length);
    packed += field;
}

const char* UnpackField(const char* at, std::string& field) {
    size_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        const unsigned char byte = static_cast<unsigned char>(*at++);
        length |= static_cast<size_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            break;
    }
    field.assign(at, length);
    return at + length;
}

} // namespace

void EntryRecords::Add(const EntryRecord& record) {
    packed_.clear();
    packed_.push_back(
        static_cast<char>((record.hasMail ? kHasMail : 0) | (record.exact ? kExact : 0)));
    for (const std::string* field :
         {&record.lastName, &record.firstName, &record.phone, &record.mail, &record.name})
        PackField(packed_, *field);
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < packed_.size()) {
        Block block;
        block.size = std::max(kBlockSize, packed_.size());
        block.bytes.reset(new char[block.size]);
        blocks_.push_back(std::move(block));
    }
    Block& last = blocks_.back();
    std::memcpy(last.bytes.get() + last.used, packed_.data(), packed_.size());
    last.used += packed_.size();
    ++count_;
}

void EntryRecords::Append(EntryRecords&& other) {
    for (Block& block : other.blocks_)
        blocks_.push_back(std::move(block));
    count_ += other.count_;
    other.blocks_.clear();
    other.count_ = 0;
}

bool EntryRecords::Cursor::Next(EntryRecord& record) {
    while (block_ < records_.blocks_.size() && offset_ >= records_.blocks_[block_].used) {
        ++block_;
        offset_ = 0;
    }
    if (block_ >= records_.blocks_.size())
        return false;
    const Block& block = records_.blocks_[block_];
    const char* at = block.bytes.get() + offset_;
    const unsigned char flags = static_cast<unsigned char>(*at++);
    record.hasMail = (flags & kHasMail) != 0;
    record.exact = (flags & kExact) != 0;
    for (std::string* field :
         {&record.lastName, &record.firstName, &record.phone, &record.mail, &record.name})
        at = UnpackField(at, *field);
    offset_ = static_cast<size_t>(at - block.bytes.get());
    return true;
}
