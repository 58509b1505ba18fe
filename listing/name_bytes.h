#pragma once
// Names as the listings keep them. Linux names are bytes and need not be
// UTF-8, while JSON and CSV texts must be; these encodings keep every name
// whole, so a listing gives back the exact bytes of every path.
//
// JSON: each byte that is not part of valid UTF-8 is written as the lone
// surrogate \udc80 to \udcff (the byte plus 0xDC00), as Python's
// "surrogateescape" error handler has it: os.fsencode(name) in Python gives
// the original bytes back. Valid UTF-8 never holds a surrogate, so the
// encoding cannot be confused with a real character.
//
// CSV: the folder and name columns hold readable text (each such byte as
// U+FFFD); the raw columns repeat the text with every such byte and every "%"
// written as %XX (urllib.parse.unquote_to_bytes gives the bytes back), and
// are empty for a text that is valid UTF-8.

#include <string>
#include <string_view>

namespace tallyfold {

// The text as a JSON string literal, quotes included; control characters,
// '"' and '\\' escaped, invalid bytes as \udc80-\udcff.
void appendJsonString(std::string& out, std::string_view text);

// A JSON parser hands a lone surrogate \udcXX on as its three-byte form
// (ED B2 80 to ED B3 BF); this puts the original byte back in its place.
void restoreEscapedBytes(std::string& text);

// The text with each invalid byte replaced by U+FFFD.
std::string readableUtf8(std::string_view text);

// Empty for valid UTF-8; else the text with every invalid byte and every '%'
// as %XX (upper-case hex).
std::string percentEscapedBytes(std::string_view text);

}  // namespace tallyfold
