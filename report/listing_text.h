#pragma once
// Text helpers for the fixed-width columns of the listings. Every width, cut
// and fill counts characters (code points), never bytes, so a name in any
// script lines up like an ASCII one.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text_trim.h"

namespace tallyfold {

// The text followed by blanks up to width characters (unchanged when longer).
std::string padRight(std::string_view text, size_t width);
// Blanks up to width characters, then the text (unchanged when longer).
std::string padLeft(std::string_view text, size_t width);
// The first keep characters of the text followed by "...".
std::string cutWithEllipsis(std::string_view text, size_t keep);
std::string repeatText(std::string_view text, size_t times);

// The last component of a folder ("data" of "/srv/data"); empty for "/".
std::string_view lastPathComponent(std::string_view folder);

}  // namespace tallyfold
