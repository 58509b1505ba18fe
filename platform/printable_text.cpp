#include "platform/printable_text.h"

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, unsigned value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    out += kHexDigits[(value >> shift) & 0xF];
}

void appendByteEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  appendHex(out, byte, 2);
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
        appendHex(out, static_cast<unsigned>(c), 4);
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
