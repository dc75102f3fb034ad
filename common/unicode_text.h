// Text between UTF-16 (the platform's wide strings), UTF-8 (LDAP's text and the form the
// download keeps its records in) and the system code page (what the ANSI functions take).
#ifndef TARN_UNICODE_TEXT_H
#define TARN_UNICODE_TEXT_H

#include <cstddef>
#include <string>

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(const wchar_t* text, std::size_t length);

// UTF-8 to UTF-16 into wide; a byte that is no part of a character becomes U+FFFD.
void WideFromUtf8(const std::string& text, std::wstring& wide);

// UTF-16 to the system code page, whole characters only. A character the code page lacks
// becomes its nearest letter where the platform knows one (best fit) and "?" otherwise; exact
// tells whether any had to be replaced.
std::string CodePageFromWide(const wchar_t* text, std::size_t length, bool& exact);

// System code page text (as the ANSI functions give it) to UTF-8.
std::string Utf8FromCodePage(const std::string& text);

// UTF-8 to the system code page, as CodePageFromWide does.
std::string CodePageFromUtf8(const std::string& text, bool& exact);
// The same where it does not matter whether it is exact: a text to show or trace.
std::string CodePageFromUtf8(const std::string& text);

// True when every byte is ASCII: the same text in UTF-8 and in every code page the ANSI
// functions take.
bool IsAscii(const std::string& text);

#endif
