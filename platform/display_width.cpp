#include "platform/display_width.h"

#include <unicode/uchar.h>

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

bool isAsciiByte(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// Zero width: marks drawn on the character before them (Mn, Me), format
// characters such as U+200B and the joiners (Cf), and the vowel and final
// jamo that join a Hangul syllable.
bool takesNoCell(char32_t c) {
  const auto category = static_cast<UCharCategory>(u_charType(static_cast<UChar32>(c)));
  if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR) {
    return true;
  }
  return c >= 0x1160 && c <= 0x11FF;
}

bool takesTwoCells(char32_t c) {
  const auto width = static_cast<UEastAsianWidth>(
      u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH));
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

}  // namespace

size_t characterWidth(char32_t c) {
  if (c < 0x80) return 1;
  if (takesNoCell(c)) return 0;
  return takesTwoCells(c) ? 2 : 1;
}

size_t displayWidth(std::string_view text) {
  size_t cells = 0;
  for (size_t pos = 0; pos < text.size();) {
    if (isAsciiByte(text[pos])) {
      ++cells;
      ++pos;
      continue;
    }
    cells += characterWidth(decodeUtf8(text, pos));
  }
  return cells;
}

std::string_view displayPrefix(std::string_view text, size_t cells) {
  size_t used = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    if (isAsciiByte(text[pos])) {
      if (used == cells) break;
      ++used;
      ++pos;
      continue;
    }
    size_t next = pos;
    const size_t width = characterWidth(decodeUtf8(text, next));
    if (used + width > cells) break;
    used += width;
    pos = next;
  }
  return text.substr(0, pos);
}

}  // namespace tallyfold
