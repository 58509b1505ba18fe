#pragma once
// What the program reads of a single file by path: size, time, attribute word
// and owner. (The walker reads the same facts through the directory reader.)

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

// The bits of the attribute word.
inline constexpr uint8_t kReadOnlyAttribute = 1;
inline constexpr uint8_t kHiddenAttribute = 2;
inline constexpr uint8_t kSystemAttribute = 4;
inline constexpr uint8_t kArchiveAttribute = 32;

struct FileFacts {
  uint64_t size = 0;
  int64_t mtime = 0;
  uint32_t uid = 0;
  uint8_t attributes = 0;  // read-only 1, hidden 2, system 4, archive 32
  uint64_t device = 0;     // with inode: which file was examined
  uint64_t inode = 0;
  bool isDirectory = false;
  // A plain file in the folder itself, whose bytes can be read to their end;
  // a link to one is not, since its bytes lie wherever the link leads.
  bool isRegular = false;
  bool isLink = false;  // described as what it leads to
};

// What opening a file for its bytes gives, negated, when the entry is no
// longer the file that was examined (replaced, or turned into a link).
inline constexpr int kFileChangedError = ESTALE;

// Follows symbolic links; empty when the path cannot be examined.
std::optional<FileFacts> statPath(const std::string& path);

// A folder opened to reach its entries by name (O_PATH: no read permission
// needed), so that its files are looked up relative to it and a path of any
// length can be read: a path longer than the system's limit is opened a part
// at a time.
class FolderHandle {
 public:
  FolderHandle() = default;
  ~FolderHandle() { close(); }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  // 0 or the errno of the failure; links are followed.
  int open(const std::string& path);
  void close();
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// Examines the entry name of an open folder: size, time, owner, kind, and of a
// link those of what it leads to (the attribute word is not read). One
// look-up for an entry that is not a link. 0 or the errno.
int examineIn(int folderFd, const std::string& name, FileFacts& facts);
// Opens the regular file name of an open folder for its bytes, as examined:
// no link is followed, and the file opened must be the one examined (else
// -kFileChangedError). Never waits on a pipe nor makes a terminal the
// controlling one. The descriptor, or minus the errno.
int openForReadingIn(int folderFd, const std::string& name, const FileFacts& examined);

// The attribute word of a file: read-only when the owner's write bit is clear,
// hidden when the name begins with "."; system and archive come from the file
// system's DOS attributes where it keeps them (vfat, ntfs, cifs) when fd >= 0.
uint8_t attributeWord(unsigned mode, bool nameIsHidden, int fd = -1);

}  // namespace tallyfold
