#pragma once
// How many cells of a fixed-pitch listing a text takes: East Asian wide and
// fullwidth characters two, combining marks and zero-width characters none,
// every other character one (ambiguous ones too, as Western fonts draw them
// narrow, and U+FFFD, which stands for bytes that are not UTF-8). ASCII is
// counted without a look-up, so plain names cost no more than a byte count.

#include <cstddef>
#include <string_view>

namespace tallyfold {

// The cells of one character.
size_t characterWidth(char32_t c);
// The cells of a text; bytes that are not valid UTF-8 count one each.
size_t displayWidth(std::string_view text);
// The longest start of the text that fits in cells, never splitting a
// character; marks that follow a kept character stay with it.
std::string_view displayPrefix(std::string_view text, size_t cells);

}  // namespace tallyfold
