#include "report/listing_text.h"

#include "platform/display_width.h"

namespace tallyfold {

std::string padRight(std::string_view text, size_t width) {
  std::string out(text);
  const size_t cells = displayWidth(text);
  if (cells < width) out.append(width - cells, ' ');
  return out;
}

std::string padLeft(std::string_view text, size_t width) {
  const size_t cells = displayWidth(text);
  std::string out;
  if (cells < width) out.assign(width - cells, ' ');
  out.append(text);
  return out;
}

std::string cutWithEllipsis(std::string_view text, size_t keep) {
  std::string out(displayPrefix(text, keep));
  out += "...";
  return out;
}

std::string repeatText(std::string_view text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out.append(text);
  return out;
}

std::string_view lastPathComponent(std::string_view folder) {
  size_t slash = folder.rfind('/');
  if (slash == std::string_view::npos) return folder;
  return folder.substr(slash + 1);
}

}  // namespace tallyfold
