#pragma once
// Reading one folder of a walk: its entries in listing order, the walk's rules
// for files and sub-folders, and each listed file examined once. Every reading
// thread has its own ReaderWorkspace; the reader itself is shared by them.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dir_reader.h"
#include "scan/path_rules.h"
#include "scan/records.h"
#include "scan/scan_run.h"
#include "scan/walk_context.h"

namespace tallyfold {

// The settings of the location being walked.
struct CurrentLocation {
  bool includeSubFolders = true;
  std::string filter = "*.*";
  int level = 0;  // 0: no depth limit; n: sub-folders down to depth n are walked
};

// A folder still to read, and its parent when that is kept open.
struct PendingFolder {
  uint32_t number = 0;
  SharedFolder* parent = nullptr;
};

// A reading thread's workspace: its tools and what it found in the folder it
// read. The lists are reused for every folder, so that a folder's final lists
// can be allocated once, at their exact size.
struct ReaderWorkspace {
  DirReader reader;
  // The folder to read.
  SharedFolder* parent = nullptr;
  std::string path;
  std::vector<FolderIdentity> above;  // the folders on the way to this one
  // What reading it gave.
  bool wasRead = false;
  FolderIdentity identity;
  std::vector<FileEntry> files;
  std::string names;
  std::vector<std::string> subFolderPaths;
  std::vector<uint32_t> subFolderPositions;  // files listed before each
  std::vector<bool> subFolderEntered;        // false: a link's folder record only
  std::vector<ReadFailure> failures;
  uint64_t unreportedEntries = 0;
};

class FolderReader {
 public:
  // root: the location's folder path, ending in "/".
  FolderReader(const CurrentLocation& location, std::string root, WalkContext& context);

  // Reads the thread's folder; the folder stays open for handOver.
  void walkFolder(ReaderWorkspace& thread);
  // Keeps the folder open for the sub-folders to be entered when there are
  // any (and not too many folders are kept open already), else closes it.
  void handOver(ReaderWorkspace& thread, std::vector<PendingFolder>& subFolders);
  // A pending folder's parent, when the folder will not be read after all.
  void releaseParent(SharedFolder* parent);

 private:
  int openFolder(ReaderWorkspace& thread);
  void readEntries(ReaderWorkspace& thread);
  bool admitsSubFolder(const std::string& parent, std::string_view name) const;
  bool admitsFile(std::string_view name) const;
  void addSubFolder(std::string_view name, ReaderWorkspace& thread, bool enter);
  void addFile(std::string_view name, const EntryFacts& facts, ReaderWorkspace& thread);
  void reportEntries(ReaderWorkspace& thread, std::string_view folderShown, uint64_t foldersRead);

  const CurrentLocation& location_;
  std::string root_;
  WalkContext& context_;
  TypeFilter filter_;
  std::atomic<uint64_t> entryCounter_{0};  // entries met in this location
  std::atomic<int> sharedFolders_{0};
};

}  // namespace tallyfold
