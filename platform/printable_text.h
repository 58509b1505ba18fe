#pragma once
// Texts fit for a terminal or a message: Linux names may hold control
// characters (an escape sequence could clear the screen or retitle the window)
// and bytes that are not UTF-8. Both are shown as escapes instead.

#include <string>
#include <string_view>

namespace tallyfold {

// Control characters as "\e", "\n", "\t", "\r" or "\xNN", a backslash as
// "\\", and each byte of invalid UTF-8 as "\xNN"; everything else unchanged.
std::string printableText(std::string_view text);

}  // namespace tallyfold
