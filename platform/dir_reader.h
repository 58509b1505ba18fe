#pragma once
// Reading one folder for the walk: the folder is opened once, its entries come
// in large getdents64 batches in the order the file system keeps them, and each
// entry is examined relative to the open folder, so no path is looked up per
// file. The entry's type comes with the name, so entries the walk skips by name
// need no examination at all.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

class StatRing;

enum class EntryKind : uint8_t {
  Unknown,  // the file system did not say; examine the entry to learn it
  Directory,
  SymbolicLink,
  File,  // a regular file or another non-folder (device, pipe, socket)
};

struct DirEntry {
  std::string_view name;  // NUL-terminated in the reader's buffer; valid until next()
  EntryKind kind = EntryKind::Unknown;
};

// What the walk keeps of an examined entry.
struct EntryFacts {
  uint64_t size = 0;
  int64_t mtime = 0;  // seconds since the epoch
  uint32_t mode = 0;  // st_mode
  // Which file it is: a folder entered through this entry must be this one.
  uint64_t device = 0;
  uint64_t inode = 0;
  bool isDirectory = false;
  bool isLink = false;  // a symbolic link, described as what it leads to when it leads anywhere
};

// Which look-up an entry of a batch needs.
enum class LookUp : uint8_t {
  None,
  Entry,      // as examine() makes it
  SubFolder,  // as examineSubFolder() makes it: the identity in facts
};

// One entry of a batch and, once done, what its look-up gave: 0, an errno or
// kFolderChanged in error.
struct EntryLookup {
  DirEntry entry;
  LookUp what = LookUp::None;
  bool done = false;
  int error = 0;
  EntryFacts facts;
};

// A folder's identity: two paths lead to the same folder when these match.
struct FolderIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FolderIdentity&) const = default;
};

struct FolderIdentityHash {
  size_t operator()(const FolderIdentity& id) const {
    return static_cast<size_t>(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
  }
};

// What opening a sub-folder gives when the folder found there is not the one
// its entry described: renamed away and replaced by another folder or by a
// link while the walk ran. Such a folder is never entered.
inline constexpr int kFolderChanged = -1;

// How a sub-folder is opened: a symbolic link in its place is followed only
// when the walk follows links, and the folder opened must be the one its
// entry described.
struct SubFolderOpening {
  FolderIdentity expected;
  bool followLink = false;
};

// An open folder kept for opening its sub-folders relative to it, so that the
// system does not look up the whole path of every sub-folder again. Closed when
// the last of its users has let go of it.
class SharedFolder {
 public:
  SharedFolder(int fd, unsigned users) : fd_(fd), users_(users) {}
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;
  // Called once by each user; the last call closes the folder, deletes it and
  // returns true.
  bool release();
  int fd() const { return fd_; }

 private:
  ~SharedFolder();
  int fd_;
  std::atomic<unsigned> users_;
};

// One reader per thread, reopened for every folder; its buffer is reused.
class DirReader {
 public:
  DirReader();
  ~DirReader();
  DirReader(const DirReader&) = delete;
  DirReader& operator=(const DirReader&) = delete;

  // Opens a scan location's own folder (symbolic links followed: the user
  // named it); 0 or the errno of the failure.
  int open(const std::string& path);
  // Opens a sub-folder by its whole path, or by its name in its open parent;
  // 0, the errno of the failure, or kFolderChanged.
  int openSubFolder(const std::string& path, const SubFolderOpening& opening);
  int openIn(const SharedFolder& parent, const std::string& name, const SubFolderOpening& opening);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  // Hands the open folder over to users that open its sub-folders; the reader
  // is closed afterwards.
  SharedFolder* share(unsigned users);
  // The open folder's device and inode; 0 or an errno. A sub-folder's was
  // taken when it was opened, and is not looked up again.
  int identity(FolderIdentity& id) const;

  // The next entry ("." and ".." included); false at the end of the folder or
  // when reading failed, which readError() then tells.
  bool next(DirEntry& entry);
  int readError() const { return readError_; }

  // The same entries a batch at a time: readBatch reads the next batch (false
  // at the end of the folder or when reading failed), nextInBatch gives its
  // entries (false at the end of the batch). An entry's name stays valid
  // until the next readBatch, so a whole batch can be examined at once.
  bool readBatch();
  bool nextInBatch(DirEntry& entry);

  // From now on, examines batches with many look-ups in flight where the
  // system allows it; false when it does not.
  bool startRing();
  bool usesRing() const { return ring_ != nullptr; }
  // Makes every look-up the lookups ask for and marks it done; the ones left
  // when cancel is set stay not done.
  void examineAll(std::span<EntryLookup> lookups, const std::atomic<bool>& cancel);

  // Examines an entry of the open folder, following symbolic links, and tells
  // whether it is one; a link whose target is missing or loops is described as
  // the link itself, so it is listed like a file. One look-up for every entry
  // that is not a link. 0 or the errno of the failure.
  int examine(const DirEntry& entry, EntryFacts& facts) const;
  // The identity of a sub-folder entry as it is now, its link not followed;
  // 0, the errno, or kFolderChanged when it is no longer a folder.
  int examineSubFolder(const DirEntry& entry, FolderIdentity& id) const;

 private:
  bool refill();
  void lookUp(EntryLookup& lookup) const;
  int checkOpened(const SubFolderOpening& opening);

  int fd_ = -1;
  std::optional<FolderIdentity> openedIdentity_;
  std::unique_ptr<char[]> buffer_;
  size_t filled_ = 0;
  size_t pos_ = 0;
  int readError_ = 0;
  bool atEnd_ = false;
  std::unique_ptr<StatRing> ring_;
  std::vector<EntryLookup*> ringLookups_;
};

}  // namespace tallyfold
