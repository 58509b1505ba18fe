#pragma once
// The scan's records: one per walked folder and one per listed file, kept in
// walk order. A record is a small reference into a folder table; the text form
// "folder/|name|000000000001234" is produced on demand, so a million-file scan
// stays compact (the folder path is stored once per folder, the name once per
// file).

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_text.h"

namespace tallyfold {

// What the walk read of one listed file. The reports take size, date, time and
// attributes from here so that each file is looked at only once.
// 24 bytes: a million files cost 24 MB here plus their names. The owner is
// not kept; the few reports that show it look it up by path.
struct FileEntry {
  uint64_t size = 0;
  int64_t mtime = 0;        // last-modified time, seconds since the epoch
  uint32_t nameOffset = 0;  // into the folder's name block
  uint16_t nameLength = 0;  // in bytes; Linux names hold at most 255
  uint8_t attributes = 0;   // attribute word: read-only 1, hidden 2, system 4, archive 32
  uint8_t reserved = 0;
};

// One folder and its listed files. Most folders of a big tree hold few files,
// so the per-folder cost matters as much as the per-file one: the path lives in
// the store's path blocks, and the files and names in blocks of their size.
class FolderEntry {
 public:
  explicit FolderEntry(std::string_view folderPath = {}) : path(folderPath) {}

  std::string_view path;  // the folder's full path, ending in "/"

  uint32_t fileCount() const { return fileCount_; }
  const FileEntry& file(uint32_t index) const { return files_[index]; }
  std::span<const FileEntry> files() const { return {files_.get(), fileCount_}; }
  // The listed files' names, back to back.
  std::string_view names() const { return {names_.get(), namesSize_}; }

  // Puts a whole listing in place, in blocks of exactly its size.
  void setFiles(std::span<const FileEntry> files, std::string_view names);
  // Adds one file (the blocks grow by doubling); returns its index.
  uint32_t addFile(std::string_view name, const FileEntry& facts);

 private:
  std::unique_ptr<FileEntry[]> files_;
  std::unique_ptr<char[]> names_;
  uint32_t fileCount_ = 0, fileCapacity_ = 0;
  uint32_t namesSize_ = 0, namesCapacity_ = 0;
};

// One record: a folder record (file == kFolderRecord) or a file of a folder.
struct RecordRef {
  static constexpr uint32_t kFolderRecord = UINT32_MAX;
  uint32_t folder = 0;
  uint32_t file = kFolderRecord;
  bool isFolderRecord() const { return file == kFolderRecord; }
};

// The field texts that follow a folder's path in a folder record.
inline constexpr std::string_view kFolderRecordName = "$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$";
inline constexpr std::string_view kFolderRecordSize = "00000000000000000";

class RecordStore {
 public:
  RecordStore() = default;
  RecordStore(RecordStore&&) noexcept = default;
  RecordStore& operator=(RecordStore&&) noexcept = default;

  uint32_t addFolder(std::string_view path);
  // Appends a file to a folder and returns its index within that folder.
  uint32_t addFile(uint32_t folder, std::string_view name, const FileEntry& facts);

  uint32_t folderCount() const { return static_cast<uint32_t>(folders_.size()); }
  const FolderEntry& folder(uint32_t index) const { return folders_[index]; }
  FolderEntry& folder(uint32_t index) { return folders_[index]; }

  std::string_view folderPath(RecordRef r) const { return folders_[r.folder].path; }
  // The record's second field: the file name, or 39 "$" for a folder record.
  std::string_view name(RecordRef r) const;
  const FileEntry& file(RecordRef r) const { return folders_[r.folder].file(r.file); }
  // The record's third field: 15 zero-padded digits (more for huge sizes), or
  // 17 zeros for a folder record.
  std::string sizeField(RecordRef r) const;
  // The whole record text, "folder/|name|size".
  std::string recordText(RecordRef r) const;

  // Moves the folders of another store to the end of this one; returns the
  // index the other store's first folder now has.
  uint32_t append(RecordStore&& other);

 private:
  std::string_view keepPath(std::string_view path);

  // A deque: no doubling slack on a big tree, and adding a folder never moves
  // the others.
  std::deque<FolderEntry> folders_;
  std::vector<std::unique_ptr<char[]>> pathBlocks_;
  size_t pathBlockFree_ = 0;
  char* pathBlockNext_ = nullptr;
};

// A record's folder path as the folder itself is named: without its trailing
// "/", except the root "/" itself.
inline std::string_view folderWithoutSlash(std::string_view folderPath) {
  return withoutTrailingSlash(folderPath);
}

// Formats a size as the file record's size field: at least 15 digits.
std::string formatSizeField(uint64_t size);

}  // namespace tallyfold
