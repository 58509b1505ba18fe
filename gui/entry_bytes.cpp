#include "gui/entry_bytes.h"

#include <string>

#include "platform/utf8_text.h"

namespace tallyfold::gui {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

void appendEscapedByte(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

}  // namespace

QString bytesForDisplay(std::string_view bytes) {
  if (isValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
  std::string shown;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t start = pos;
    const char32_t c = decodeUtf8(bytes, pos);
    // A replacement character that was written as such is a real one.
    if (c == kReplacement && bytes.substr(start, pos - start) != kReplacementUtf8)
      appendEscapedByte(shown, static_cast<unsigned char>(bytes[start]));
    else
      shown.append(bytes.substr(start, pos - start));
  }
  return QString::fromStdString(shown);
}

}  // namespace tallyfold::gui
