#pragma once
// The rules the walk applies to paths and names: how deep a folder lies below
// its scan location, and which files the location's type filter admits.

#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// Hidden files are never listed; hidden folders are walked.
inline bool isHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.';
}

// The one rule for how deep a folder lies: a location contains a folder when
// the location's text (case included, as Linux names are; trailing "/" left
// out) is the whole folder path or a leading part of it that ends at a "/".
// The root "/" contains every absolute path.
bool locationContains(std::string_view location, std::string_view folder);

// How many levels a folder lies below a location that contains it: 0 for the
// location's own folder, 1 for its sub-folders. Runs of "/" count once. A
// folder the location does not contain is measured from the root.
int folderDepthBelow(std::string_view location, std::string_view folder);

// The file-type filter of a scan location: "*.*" (every file), or extensions
// with their dots separated by ";" such as .mp3;.jpg, compared as whole entries
// with the file's last extension, case ignored. An entry "*.*" admits every
// file, and "*.txt" is read as .txt.
class TypeFilter {
 public:
  explicit TypeFilter(std::string_view filter);

  bool admits(std::string_view fileName) const;

 private:
  bool everyFile_ = false;
  std::vector<std::string> extensions_;  // lower case, each beginning with "."
};

}  // namespace tallyfold
