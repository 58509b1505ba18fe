#pragma once
// Text helpers for the fixed-width columns of the listings. Every width, cut
// and fill counts display cells (a CJK character two, a combining mark none),
// never bytes or characters, so a name in any script lines up like an ASCII
// one.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text_trim.h"

namespace tallyfold {

// The text followed by blanks up to width cells (unchanged when wider).
std::string padRight(std::string_view text, size_t width);
// Blanks up to width cells, then the text (unchanged when wider).
std::string padLeft(std::string_view text, size_t width);
// The start of the text that fits in keep cells followed by "...".
std::string cutWithEllipsis(std::string_view text, size_t keep);
std::string repeatText(std::string_view text, size_t times);

// The last component of a folder ("data" of "/srv/data"); empty for "/".
std::string_view lastPathComponent(std::string_view folder);

}  // namespace tallyfold
