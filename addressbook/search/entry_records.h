// The entries of a directory search as the address book takes them, kept in arrival order in
// a packed form: a search's answer is turned into records as it arrives and each message is
// freed at once, so a download holds a few dozen bytes per entry instead of the library's
// whole message. Platform-free.
#ifndef TARN_ENTRY_RECORDS_H
#define TARN_ENTRY_RECORDS_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// One directory entry as the address book takes it, its texts in UTF-8.
struct EntryRecord {
    std::string lastName, firstName, phone, mail;
    bool hasMail = false;
    bool exact = true; // the code page holds the mail value unchanged
    std::string name;  // the entry's name, kept only where the mail value is not exact
};

class EntryRecords {
  public:
    void Add(const EntryRecord& record);
    // Moves other's records behind these; other is left empty.
    void Append(EntryRecords&& other);
    unsigned long Count() const { return count_; }

    // Reads the records from the first on.
    class Cursor {
      public:
        explicit Cursor(const EntryRecords& records) : records_(records) {}
        // The next record into record; false after the last one.
        bool Next(EntryRecord& record);

      private:
        const EntryRecords& records_;
        size_t block_ = 0;
        size_t offset_ = 0;
    };

  private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
        size_t used = 0;
    };
    std::vector<Block> blocks_;
    unsigned long count_ = 0;
    std::string packed_; // the record being added, before it is copied into its block
};

#endif
