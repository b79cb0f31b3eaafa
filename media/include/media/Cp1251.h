// Conversions between Windows-1251 single-byte text and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace media {

// The Unicode code point of one Windows-1251 byte (0x98, unassigned, maps to U+FFFD).
char32_t Cp1251ToUnicode(unsigned char byte);

// UTF-8 to Windows-1251; characters the code page lacks become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// Windows-1251 to UTF-8.
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace media
