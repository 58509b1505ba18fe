#include "scan/path_rules.h"

#include <algorithm>

#include "platform/path_text.h"
#include "platform/text_trim.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

// A folder text for depth counting: no trailing "/", and the root as the
// empty text, which contains every absolute path.
std::string_view withoutTrailingSlashes(std::string_view text) {
  text = withoutTrailingSlash(text);
  return text == "/" ? std::string_view() : text;
}

}  // namespace

bool locationContains(std::string_view location, std::string_view folder) {
  location = withoutTrailingSlashes(location);
  folder = withoutTrailingSlashes(folder);
  if (!folder.starts_with(location)) return false;
  return folder.size() == location.size() || folder[location.size()] == '/';
}

int folderDepthBelow(std::string_view location, std::string_view folder) {
  location = withoutTrailingSlashes(location);
  folder = withoutTrailingSlashes(folder);
  std::string_view below =
      locationContains(location, folder) ? folder.substr(location.size()) : folder;
  int depth = 0;
  for (size_t i = 0; i < below.size(); ++i) {
    if (below[i] == '/' && (i == 0 || below[i - 1] != '/')) ++depth;
  }
  return depth;
}

TypeFilter::TypeFilter(std::string_view filter) {
  if (filter == "*.*") {
    everyFile_ = true;
    return;
  }
  size_t start = 0;
  while (start <= filter.size()) {
    size_t end = std::min(filter.find(';', start), filter.size());
    std::string_view entry = trimText(filter.substr(start, end - start));
    start = end + 1;
    if (entry == "*.*") {
      everyFile_ = true;
    } else {
      if (entry.starts_with("*.")) entry.remove_prefix(1);
      if (entry.starts_with(".")) extensions_.push_back(toLowerUtf8(entry));
    }
  }
}

bool TypeFilter::admits(std::string_view fileName) const {
  if (everyFile_) return true;
  size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension = toLowerUtf8(fileName.substr(dot));
  return std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}

}  // namespace tallyfold
