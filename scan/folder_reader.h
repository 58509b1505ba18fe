#pragma once
// Reading one folder of a walk: its entries in listing order, each listed
// file examined once, and its sub-folders noted with their identity so that
// the folder entered later is the one listed. Every reading thread has its
// own ReaderWorkspace; the reader itself is shared by them.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dir_reader.h"
#include "scan/entry_rules.h"
#include "scan/records.h"
#include "scan/scan_run.h"
#include "scan/walk_context.h"

namespace tallyfold {

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
  // The location's own folder has no entry that describes it.
  bool isLocationFolder = true;
  FolderIdentity expected;  // a sub-folder's identity as its entry gave it
  // What reading it gave.
  bool wasRead = false;
  FolderIdentity identity;
  std::vector<FileEntry> files;
  std::string names;
  std::vector<std::string> subFolderPaths;
  std::vector<uint32_t> subFolderPositions;  // files listed before each
  std::vector<FolderIdentity> subFolderIdentities;
  std::vector<bool> subFolderEntered;  // false: a folder record only
  std::vector<ReadFailure> failures;
  // The entries of one batch of the folder listing, and what the rules said
  // of each before any look-up.
  std::vector<EntryLookup> lookups;
  std::vector<EntryDecision> decisions;
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
  void collectBatch(const EntryRules::InFolder& rules, ReaderWorkspace& thread);
  void takeEntry(const EntryRules::InFolder& rules, const EntryLookup& lookup,
                 EntryDecision decision, ReaderWorkspace& thread);
  void addSubFolder(const EntryLookup& lookup, bool examined, bool enter, ReaderWorkspace& thread);
  void addFile(std::string_view name, const EntryFacts& facts, ReaderWorkspace& thread);
  void addFailure(ReaderWorkspace& thread, std::string path, int error);
  void reportEntries(ReaderWorkspace& thread, std::string_view folderShown, uint64_t foldersRead);

  EntryRules rules_;
  WalkContext& context_;
  std::atomic<uint64_t> entryCounter_{0};  // entries met in this location
  std::atomic<int> sharedFolders_{0};
};

}  // namespace tallyfold
