#pragma once
// The one rule for the trailing "/" of a folder's text: folder paths in the
// records end in "/", locations are typed with or without one, and a folder
// is shown without it. The root "/" is its own name and keeps it.

#include <string_view>

namespace tallyfold {

constexpr std::string_view withoutTrailingSlash(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

}  // namespace tallyfold
