#pragma once
// The three exclusion lists that apply to every scan, their match tests and the
// list file exclusion.lst that keeps them.

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tallyfold {

struct ExclusionLists {
  std::vector<std::string> fileNames;   // such as name.ext
  std::vector<std::string> folders;     // full paths without trailing "/" (but "/" itself)
  std::vector<std::string> extensions;  // such as *.tmp
  // "Include Sub Folders" of the folders page: when on, an excluded folder is
  // not walked at all. Off at start and never stored.
  bool skipExcludedFolderTrees = false;
  // Folders whose names begin with "." (such as .git or .cache) are neither
  // entered nor listed, as find -not -path '*/.*' would have it. Off by
  // default; kept in the settings store, not in the list file. A scan
  // location that is itself such a folder is still walked: the user named it.
  bool skipHiddenFolders = false;
};

// Whole-entry, case-ignoring match tests over a snapshot of the lists. Built
// once per scan; the tests are called for every entry, so they only hash.
class ExclusionMatcher {
 public:
  explicit ExclusionMatcher(const ExclusionLists& lists);

  // folderPath has no trailing "/", but "/" itself. The entry "/" never
  // matches: see the definition.
  bool isFolderExcluded(std::string_view folderPath) const;
  bool isFileNameExcluded(std::string_view fileName) const;
  // A name without "." has no extension: no entry matches it (the walker
  // decides separately whether such files are listed).
  bool isExtensionExcluded(std::string_view fileName) const;
  bool skipExcludedFolderTrees() const { return skipTrees_; }
  bool skipHiddenFolders() const { return skipHidden_; }

 private:
  std::unordered_set<std::string> folders_, fileNames_, extensions_;
  bool skipTrees_ = false;
  bool skipHidden_ = false;
};

// exclusion.lst in the application folder.
std::string exclusionListPath();
// Missing or unreadable file: empty lists. Blank lines are skipped. When the
// file exists but cannot be read and error is given, *error says why (such as
// "Cannot read /path/exclusion.lst: Permission denied"); otherwise it is
// cleared, a missing file being no error.
ExclusionLists loadExclusionList(const std::string& path, std::string* error = nullptr);
// Replaces the file atomically; false when it could not be written.
bool saveExclusionList(const std::string& path, const ExclusionLists& lists);

}  // namespace tallyfold
