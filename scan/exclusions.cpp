#include "scan/exclusions.h"

#include <cerrno>
#include <cstring>

#include "platform/app_folder.h"
#include "platform/text_file.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr std::string_view kFolderMarker = "<<Folder List Start Here>>";
constexpr std::string_view kExtensionMarker = "<<Extension List Start Here>>";
constexpr std::string_view kLineEnd = "\r\n";

std::unordered_set<std::string> lowerCasedSet(const std::vector<std::string>& entries) {
  std::unordered_set<std::string> set;
  set.reserve(entries.size());
  for (const std::string& entry : entries) set.insert(toLowerUtf8(entry));
  return set;
}

bool containsLowerCased(const std::unordered_set<std::string>& set, std::string_view text) {
  if (set.empty()) return false;
  return set.count(toLowerUtf8(text)) != 0;
}

void appendLine(std::string& out, std::string_view line) {
  out += line;
  out += kLineEnd;
}

}  // namespace

ExclusionMatcher::ExclusionMatcher(const ExclusionLists& lists)
    : folders_(lowerCasedSet(lists.folders)),
      fileNames_(lowerCasedSet(lists.fileNames)),
      extensions_(lowerCasedSet(lists.extensions)),
      skipTrees_(lists.skipExcludedFolderTrees),
      skipHidden_(lists.skipHiddenFolders) {}

bool ExclusionMatcher::isFolderExcluded(std::string_view folderPath) const {
  // A file is dropped when its own folder, without the trailing separator, is
  // in the list; a root loses nothing that way ("C:\\" without it is "C:",
  // which no entry equals), so the root's files stay listed. "/" keeps its
  // slash here, and is never a sub-folder either: no test matches it.
  if (folderPath == "/") return false;
  return containsLowerCased(folders_, folderPath);
}

bool ExclusionMatcher::isFileNameExcluded(std::string_view fileName) const {
  return containsLowerCased(fileNames_, fileName);
}

bool ExclusionMatcher::isExtensionExcluded(std::string_view fileName) const {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || extensions_.empty()) return false;
  // Entries look like "*.tmp"; only the last extension counts, so
  // archive.tar.gz is looked up as "*.gz".
  std::string key = "*";
  key += toLowerUtf8(fileName.substr(dot));
  return extensions_.count(key) != 0;
}

std::string exclusionListPath() {
  return applicationFile("exclusion.lst");
}

ExclusionLists loadExclusionList(const std::string& path, std::string* error) {
  ExclusionLists lists;
  std::vector<std::string> lines;
  if (error != nullptr) error->clear();
  errno = 0;
  if (!readTextLines(path, lines)) {
    const int reason = errno;
    const bool missing = reason == ENOENT || reason == ENOTDIR;
    if (error != nullptr && !missing) {
      *error = "Cannot read " + path + ": " + std::strerror(reason != 0 ? reason : EIO);
    }
    return lists;
  }
  // The file starts with the file names; a marker line switches to another
  // list whatever list was current. A blank line holds no entry and is passed
  // over, so entries after it are not lost.
  std::vector<std::string>* current = &lists.fileNames;
  for (std::string& line : lines) {
    if (line == kFolderMarker) {
      current = &lists.folders;
    } else if (line == kExtensionMarker) {
      current = &lists.extensions;
    } else if (!line.empty()) {
      current->push_back(std::move(line));
    }
  }
  return lists;
}

bool saveExclusionList(const std::string& path, const ExclusionLists& lists) {
  std::string text;
  for (const std::string& entry : lists.fileNames) appendLine(text, entry);
  appendLine(text, kFolderMarker);
  for (const std::string& entry : lists.folders) appendLine(text, entry);
  appendLine(text, kExtensionMarker);
  for (const std::string& entry : lists.extensions) appendLine(text, entry);
  return replaceFileAtomically(path, text);
}

}  // namespace tallyfold
