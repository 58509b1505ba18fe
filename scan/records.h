#pragma once
// The scan's records: one per walked folder and one per listed file, kept in
// walk order. A record is a small reference into a folder table; the text form
// "folder/|name|000000000001234" is produced on demand, so a million-file scan
// stays compact (the folder path is stored once per folder, the name once per
// file).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// What the walk read of one listed file. The reports take size, date, time and
// attributes from here so that each file is looked at only once.
struct FileEntry {
  uint64_t size = 0;
  int64_t mtime = 0;        // last-modified time, seconds since the epoch
  uint32_t nameOffset = 0;  // into the folder's name block
  uint32_t uid = 0;         // owner
  uint16_t nameLength = 0;  // in bytes; Linux names hold at most 255
  uint8_t attributes = 0;   // attribute word: read-only 1, hidden 2, system 4, archive 32
  uint8_t reserved = 0;
};

struct FolderEntry {
  std::string path;  // the folder's full path, ending in "/"
  std::string names;  // the listed files' names, back to back
  std::vector<FileEntry> files;
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
  uint32_t addFolder(std::string path);
  // Appends a file to a folder and returns its index within that folder.
  uint32_t addFile(uint32_t folder, std::string_view name, const FileEntry& facts);

  uint32_t folderCount() const { return static_cast<uint32_t>(folders_.size()); }
  const FolderEntry& folder(uint32_t index) const { return folders_[index]; }
  FolderEntry& folder(uint32_t index) { return folders_[index]; }

  std::string_view folderPath(RecordRef r) const { return folders_[r.folder].path; }
  // The record's second field: the file name, or 39 "$" for a folder record.
  std::string_view name(RecordRef r) const;
  const FileEntry& file(RecordRef r) const { return folders_[r.folder].files[r.file]; }
  // The record's third field: 15 zero-padded digits (more for huge sizes), or
  // 17 zeros for a folder record.
  std::string sizeField(RecordRef r) const;
  // The whole record text, "folder/|name|size".
  std::string recordText(RecordRef r) const;

  // Moves the folders of another store to the end of this one; returns the
  // index the other store's first folder now has.
  uint32_t append(RecordStore&& other);

 private:
  std::vector<FolderEntry> folders_;
};

// Formats a size as the file record's size field: at least 15 digits.
std::string formatSizeField(uint64_t size);

}  // namespace tallyfold
