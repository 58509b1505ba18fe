#pragma once
// Letter case of ASCII text only: extensions, settings names and other
// names the program matches without regard to case, whatever bytes they hold
// beside the ASCII letters.

#include <string>
#include <string_view>

namespace tallyfold {

inline char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = asciiLower(c);
  return lower;
}

}  // namespace tallyfold
