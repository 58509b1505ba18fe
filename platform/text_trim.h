#pragma once
// The one blank-trimming helper of the program. Texts typed by users or edited
// by hand (settings, job and list files, field values) carry blanks at their
// ends that mean nothing.

#include <string_view>

namespace tallyfold {

// The blank alone, and the blank with the tab, the two sets the readers trim.
inline constexpr std::string_view kBlankChars = " ";
inline constexpr std::string_view kBlankAndTabChars = " \t";

// text without the characters of `blanks` at either end; a view into text.
constexpr std::string_view trimText(std::string_view text, std::string_view blanks = kBlankChars) {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// text without the characters of `blanks` at its end.
constexpr std::string_view trimTextEnd(std::string_view text,
                                       std::string_view blanks = kBlankChars) {
  const size_t last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

}  // namespace tallyfold
