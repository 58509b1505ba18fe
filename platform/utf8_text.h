#pragma once
// UTF-8 helpers shared by the scan and the report: decoding that never fails
// (bytes that are not valid UTF-8 decode as U+FFFD), character counts, and
// Unicode-aware case mapping with ICU's root rules.

#include <cstddef>
#include <string>
#include <string_view>

namespace tallyfold {

// Decodes the code point at pos and advances pos; an invalid or truncated
// sequence yields U+FFFD and advances by one byte.
char32_t decodeUtf8(std::string_view text, size_t& pos);
void appendUtf8(std::string& out, char32_t c);
bool isValidUtf8(std::string_view text);
// Number of characters (code points, invalid bytes counting one each).
size_t utf8Length(std::string_view text);

// Case mapping; ASCII-only texts take a fast path. Invalid bytes are kept.
std::string toLowerUtf8(std::string_view text);
std::string toUpperUtf8(std::string_view text);

// The Unicode character of a Windows-1252 byte: the code page of rich text
// from elsewhere and of old ID3 tags. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same
// number, as Latin-1 has them.
char32_t windows1252ToUnicode(unsigned char byte);

}  // namespace tallyfold
