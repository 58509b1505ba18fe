#include "platform/utf8_text.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "platform/ascii_case.h"

namespace tallyfold {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
  char32_t code = kReplacement;
  size_t length = 1;
  bool valid = false;
};

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// One UTF-8 sequence at pos (pos < text.size()). Overlong forms, surrogates
// and values above U+10FFFF are invalid, as are truncated sequences; an
// invalid sequence counts as its first byte alone.
Decoded decodeAt(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1, true};
  size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    return {};
  }
  if (text.size() - pos < length) return {};
  for (size_t i = 1; i < length; ++i) {
    if (!isContinuation(byte(i))) return {};
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length, true};
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Maps each valid character through mapCode and ASCII through mapAscii;
// bytes that are not valid UTF-8 are copied unchanged.
template <typename AsciiMap, typename CodeMap>
std::string mapCase(std::string_view text, AsciiMap mapAscii, CodeMap mapCode) {
  std::string out;
  out.reserve(text.size());
  if (isAscii(text)) {
    for (char c : text) out += mapAscii(c);
    return out;
  }
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      out += mapAscii(text[pos++]);
      continue;
    }
    Decoded decoded = decodeAt(text, pos);
    if (decoded.valid) {
      appendUtf8(out, static_cast<char32_t>(mapCode(static_cast<UChar32>(decoded.code))));
    } else {
      out += text[pos];
    }
    pos += decoded.length;
  }
  return out;
}

char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

char32_t decodeUtf8(std::string_view text, size_t& pos) {
  if (pos >= text.size()) return kReplacement;
  Decoded decoded = decodeAt(text, pos);
  pos += decoded.length;
  return decoded.code;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    Decoded decoded = decodeAt(text, pos);
    if (!decoded.valid) return false;
    pos += decoded.length;
  }
  return true;
}

size_t utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) {
    pos += static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : decodeAt(text, pos).length;
  }
  return count;
}

std::string toLowerUtf8(std::string_view text) {
  return mapCase(text, asciiLower, [](UChar32 c) { return u_tolower(c); });
}

std::string toUpperUtf8(std::string_view text) {
  return mapCase(text, asciiUpper, [](UChar32 c) { return u_toupper(c); });
}

char32_t windows1252ToUnicode(unsigned char byte) {
  // Bytes 0x80 to 0x9F; the rest of the upper half equals Latin-1.
  static constexpr char16_t kUpperControls[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (byte >= 0x80 && byte <= 0x9F) return kUpperControls[byte - 0x80];
  return byte;
}

}  // namespace tallyfold
