#include "unicode_text.h"

#include <windows.h>

#include <climits>

namespace {

bool IsAsciiWide(const wchar_t* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x80)
            return false;
    }
    return true;
}

} // namespace

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (IsAsciiWide(text, length))
        return std::string(text, text + length);
    if (length > INT_MAX / 4)
        return std::string();
    const int wide = static_cast<int>(length);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, wide, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

void WideFromUtf8(const std::string& text, std::wstring& wide) {
    if (IsAscii(text)) {
        wide.assign(text.begin(), text.end());
        return;
    }
    wide.clear();
    if (text.size() > INT_MAX)
        return;
    const int bytes = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    if (size <= 0)
        return;
    wide.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, &wide[0], size);
}

std::string CodePageFromWide(const wchar_t* text, std::size_t length, bool& exact) {
    exact = true;
    if (IsAsciiWide(text, length))
        return std::string(text, text + length);
    if (length > INT_MAX / 4) {
        exact = false;
        return std::string();
    }
    const int wide = static_cast<int>(length);
    const UINT codePage = GetACP();
    // Unchanged if the code page holds every character as it is (UTF-8 holds all but unpaired
    // surrogates) ...
    BOOL replaced = FALSE;
    int size = codePage == CP_UTF8 ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, wide,
                                                         nullptr, 0, nullptr, nullptr)
                                   : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, wide,
                                                         nullptr, 0, nullptr, &replaced);
    exact = size > 0 && !replaced;
    // ... else with the nearest letters the platform knows and "?" for the rest.
    const DWORD flags = exact && codePage != CP_UTF8 ? WC_NO_BEST_FIT_CHARS : 0;
    size = WideCharToMultiByte(CP_ACP, flags, text, wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        exact = false;
        return std::string(length, '?');
    }
    std::string converted(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, text, wide, &converted[0], size, nullptr, nullptr);
    return converted;
}

std::string CodePageFromUtf8(const std::string& text, bool& exact) {
    if (IsAscii(text)) {
        exact = true;
        return text;
    }
    std::wstring wide;
    WideFromUtf8(text, wide);
    return CodePageFromWide(wide.data(), wide.size(), exact);
}

std::string Utf8FromCodePage(const std::string& text) {
    if (IsAscii(text) || text.size() > INT_MAX / 4)
        return IsAscii(text) ? text : std::string();
    const int bytes = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (size <= 0)
        return std::string();
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, &wide[0], size);
    return Utf8FromWide(wide.data(), wide.size());
}

std::string CodePageFromUtf8(const std::string& text) {
    bool exact = true;
    return CodePageFromUtf8(text, exact);
}
