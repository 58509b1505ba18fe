#include "listing/name_bytes.h"

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kLowerHexDigits[] = "0123456789abcdef";
constexpr char32_t kReplacement = 0xFFFD;

// Visits the text as valid characters (with their bytes) and invalid bytes.
// A real U+FFFD takes three bytes, the decoder's stand-in for a bad byte one.
template <class OnCharacter, class OnBadByte>
void forEachPiece(std::string_view text, OnCharacter onCharacter, OnBadByte onBadByte) {
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      onCharacter(text.substr(pos, 1));
      ++pos;
      continue;
    }
    const size_t start = pos;
    const char32_t code = decodeUtf8(text, pos);
    if (code == kReplacement && pos - start == 1) {
      onBadByte(lead);
    } else {
      onCharacter(text.substr(start, pos - start));
    }
  }
}

void appendJsonCharacter(std::string& out, std::string_view character) {
  const unsigned char c = static_cast<unsigned char>(character[0]);
  if (c == '"' || c == '\\') {
    out.push_back('\\');
    out.push_back(static_cast<char>(c));
  } else if (c < 0x20 || c == 0x7F) {
    out += "\\u00";
    out.push_back(kLowerHexDigits[c >> 4]);
    out.push_back(kLowerHexDigits[c & 0xF]);
  } else {
    out.append(character);
  }
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  forEachPiece(
      text, [&out](std::string_view character) { appendJsonCharacter(out, character); },
      [&out](unsigned char byte) {
        out += "\\udc";
        out.push_back(kLowerHexDigits[byte >> 4]);
        out.push_back(kLowerHexDigits[byte & 0xF]);
      });
  out.push_back('"');
}

void restoreEscapedBytes(std::string& text) {
  if (text.find('\xED') == std::string::npos) return;
  size_t write = 0;
  for (size_t read = 0; read < text.size();) {
    const unsigned char b0 = static_cast<unsigned char>(text[read]);
    if (b0 == 0xED && read + 2 < text.size()) {
      const unsigned char b1 = static_cast<unsigned char>(text[read + 1]);
      const unsigned char b2 = static_cast<unsigned char>(text[read + 2]);
      if ((b1 == 0xB2 || b1 == 0xB3) && (b2 & 0xC0) == 0x80) {
        text[write++] = static_cast<char>(0x80 | ((b1 & 1) << 6) | (b2 & 0x3F));
        read += 3;
        continue;
      }
    }
    text[write++] = text[read++];
  }
  text.resize(write);
}

std::string readableUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  forEachPiece(
      text, [&out](std::string_view character) { out.append(character); },
      [&out](unsigned char) { appendUtf8(out, kReplacement); });
  return out;
}

std::string percentEscapedBytes(std::string_view text) {
  if (isValidUtf8(text)) return {};
  std::string out;
  auto escape = [&out](unsigned char byte) {
    out.push_back('%');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0xF]);
  };
  forEachPiece(
      text,
      [&](std::string_view character) {
        if (character == "%") {
          escape('%');
        } else {
          out.append(character);
        }
      },
      escape);
  return out;
}

}  // namespace tallyfold
