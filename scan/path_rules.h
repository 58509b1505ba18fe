#pragma once
// The rules the walk applies to paths and names: how deep a folder lies below
// its scan location, and which files the location's type filter admits.

#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// The number of "/" separators in a path; a run of "/" counts once, and the
// root folder "/" counts 0 so that /a lies one level below it.
int countSlashes(std::string_view text);

// Hidden files are never listed; hidden folders are walked.
inline bool isHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.';
}

// Folder depths measured against the scan-location list: a folder's depth is
// counted from the first row, in list order, whose folder contains it, whatever
// location is being walked.
class FolderDepthRules {
 public:
  explicit FolderDepthRules(const std::vector<std::string>& rowFolders);

  // path: a folder's full path without trailing "/". A row contains it when the
  // row's folder (case ignored, trailing "/" left out) is the whole path or a
  // leading part of it that ends at a "/".
  int folderDepth(std::string_view path) const;

 private:
  struct Row {
    std::string lowered;
    int slashes = 0;
  };
  std::vector<Row> rows_;
};

// The file-type filter of a scan location: "*.*" (every file), or extensions
// with their dots separated by ";" such as .mp3;.jpg, compared as whole entries
// with the file's last extension, case ignored. An entry "*.*" admits every
// file, and "*.txt" is read as .txt.
class TypeFilter {
 public:
  explicit TypeFilter(std::string_view filter);

  bool admitsEveryFile() const { return everyFile_; }
  bool admits(std::string_view fileName) const;

 private:
  bool everyFile_ = false;
  std::vector<std::string> extensions_;  // lower case, each beginning with "."
};

}  // namespace tallyfold
