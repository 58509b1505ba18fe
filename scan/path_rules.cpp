#include "scan/path_rules.h"

#include <algorithm>

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

// The folder text without trailing "/" (the root "/" stays as it is).
std::string_view withoutTrailingSlash(std::string_view text) {
  while (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
  return text;
}

bool containsFolder(std::string_view rowFolder, std::string_view path) {
  if (rowFolder.empty() || !path.starts_with(rowFolder)) return false;
  return path.size() == rowFolder.size() || rowFolder.back() == '/' ||
         path[rowFolder.size()] == '/';
}

std::string_view trimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

int countSlashes(std::string_view text) {
  if (text == "/") return 0;
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '/' && (i == 0 || text[i - 1] != '/')) ++count;
  }
  return count;
}

FolderDepthRules::FolderDepthRules(const std::vector<std::string>& rowFolders) {
  rows_.reserve(rowFolders.size());
  for (const std::string& folder : rowFolders) {
    std::string lowered = toLowerUtf8(withoutTrailingSlash(folder));
    int slashes = countSlashes(lowered);
    rows_.push_back(Row{std::move(lowered), slashes});
  }
}

int FolderDepthRules::folderDepth(std::string_view path) const {
  std::string lowered = toLowerUtf8(path);
  int base = 0;
  for (const Row& row : rows_) {
    if (containsFolder(row.lowered, lowered)) {
      base = row.slashes;
      break;
    }
  }
  return countSlashes(lowered) - base;
}

TypeFilter::TypeFilter(std::string_view filter) {
  if (filter == "*.*") {
    everyFile_ = true;
    return;
  }
  size_t start = 0;
  while (start <= filter.size()) {
    size_t end = std::min(filter.find(';', start), filter.size());
    std::string_view entry = trimSpaces(filter.substr(start, end - start));
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
