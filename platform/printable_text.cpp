#include "platform/printable_text.h"

#include <cstdio>

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

void appendByteEscape(std::string& out, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  out += escape;
}

void appendControlEscape(std::string& out, char32_t c) {
  switch (c) {
    case U'\x1b':
      out += "\\e";
      return;
    case U'\n':
      out += "\\n";
      return;
    case U'\t':
      out += "\\t";
      return;
    case U'\r':
      out += "\\r";
      return;
    default:
      appendByteEscape(out, static_cast<unsigned char>(c));
  }
}

bool isControl(char32_t c) {
  return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0);
}

}  // namespace

std::string printableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    const char32_t c = decodeUtf8(text, pos);
    const bool invalid = c == U'\uFFFD' && !text.substr(start).starts_with("\xEF\xBF\xBD");
    if (invalid) {
      appendByteEscape(out, static_cast<unsigned char>(text[start]));
    } else if (c == U'\\') {
      out += "\\\\";
    } else if (isControl(c)) {
      if (c >= 0x80) {  // a C1 control, two bytes in UTF-8
        out += "\\u";
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(c));
        out += digits;
      } else {
        appendControlEscape(out, c);
      }
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
  return out;
}

}  // namespace tallyfold
