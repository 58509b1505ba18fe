#include "report/listing_text.h"

#include "platform/utf8_text.h"

namespace tallyfold {

std::string padRight(std::string_view text, size_t width) {
  std::string out(text);
  size_t length = utf8Length(text);
  if (length < width) out.append(width - length, ' ');
  return out;
}

std::string padLeft(std::string_view text, size_t width) {
  size_t length = utf8Length(text);
  std::string out;
  if (length < width) out.assign(width - length, ' ');
  out.append(text);
  return out;
}

std::string cutWithEllipsis(std::string_view text, size_t keep) {
  std::string out(utf8Prefix(text, keep));
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
