// A password in memory: its bytes are cleared when it is cleared or destroyed, never copied.
#ifndef TARN_SECRET_TEXT_H
#define TARN_SECRET_TEXT_H

#include <windows.h>

#include <cstddef>
#include <vector>

class SecretText {
  public:
    SecretText() = default;
    ~SecretText() { Clear(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    // Takes size bytes of data; the text keeps a terminator behind them.
    void Assign(const char* data, std::size_t size) {
        Clear();
        bytes_.reserve(size + 1);
        bytes_.assign(data, data + size);
        bytes_.push_back('\0');
    }
    void Clear() {
        if (!bytes_.empty())
            SecureZeroMemory(bytes_.data(), bytes_.size());
        bytes_.clear();
    }
    bool empty() const { return bytes_.size() <= 1; }
    std::size_t size() const { return bytes_.empty() ? 0 : bytes_.size() - 1; }
    // The text with its terminator; a writable pointer, as the LDAP calls take one.
    char* c_str() { return bytes_.empty() ? empty_ : bytes_.data(); }

  private:
    std::vector<char> bytes_;
    char empty_[1] = {'\0'};
};

#endif
