#include "platform/dir_reader.h"

#include "platform/stat_ring.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace tallyfold {

namespace {

// Large batches keep the number of system calls per folder low: a folder of a
// thousand entries is read in one or two calls.
constexpr size_t kBufferSize = 64 * 1024;

// The kernel's record layout for getdents64.
struct KernelDirent64 {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[1];
};

EntryKind kindOf(unsigned char type) {
  switch (type) {
    case DT_DIR:
      return EntryKind::Directory;
    case DT_LNK:
      return EntryKind::SymbolicLink;
    case DT_UNKNOWN:
      return EntryKind::Unknown;
    default:
      return EntryKind::File;
  }
}

void copyFacts(const struct stat& st, EntryFacts& facts) {
  facts.size = static_cast<uint64_t>(st.st_size);
  facts.mtime = static_cast<int64_t>(st.st_mtim.tv_sec);
  facts.mode = static_cast<uint32_t>(st.st_mode);
  facts.device = static_cast<uint64_t>(st.st_dev);
  facts.inode = static_cast<uint64_t>(st.st_ino);
  facts.isDirectory = S_ISDIR(st.st_mode);
}

int subFolderFlags(const SubFolderOpening& opening) {
  int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  return opening.followLink ? flags : flags | O_NOFOLLOW;
}

// A link where a folder was (refused by O_NOFOLLOW), or a file there now, is
// a folder that changed while the walk ran.
int openFailure(int error, const SubFolderOpening& opening) {
  if (error == ENOTDIR || (error == ELOOP && !opening.followLink)) return kFolderChanged;
  return error;
}

}  // namespace

bool SharedFolder::release() {
  if (users_.fetch_sub(1, std::memory_order_acq_rel) != 1) return false;
  delete this;
  return true;
}

SharedFolder::~SharedFolder() {
  ::close(fd_);
}

DirReader::DirReader() : buffer_(new char[kBufferSize]) {}

DirReader::~DirReader() {
  close();
}

bool DirReader::startRing() {
  if (!ring_) ring_ = StatRing::create();
  return ring_ != nullptr;
}

int DirReader::open(const std::string& path) {
  close();
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) {
    fd_ = -1;
    return errno;
  }
  return 0;
}

int DirReader::openSubFolder(const std::string& path, const SubFolderOpening& opening) {
  close();
  fd_ = ::open(path.c_str(), subFolderFlags(opening));
  if (fd_ < 0) {
    fd_ = -1;
    return openFailure(errno, opening);
  }
  return checkOpened(opening);
}

int DirReader::openIn(const SharedFolder& parent, const std::string& name,
                      const SubFolderOpening& opening) {
  close();
  fd_ = ::openat(parent.fd(), name.c_str(), subFolderFlags(opening));
  if (fd_ < 0) {
    fd_ = -1;
    return openFailure(errno, opening);
  }
  return checkOpened(opening);
}

// The folder opened must be the one the entry described when it was read;
// otherwise it is closed unread.
int DirReader::checkOpened(const SubFolderOpening& opening) {
  FolderIdentity opened;
  if (int error = identity(opened); error != 0) {
    close();
    return error;
  }
  if (opened == opening.expected) {
    openedIdentity_ = opened;
    return 0;
  }
  close();
  return kFolderChanged;
}

SharedFolder* DirReader::share(unsigned users) {
  auto* shared = new SharedFolder(fd_, users);
  fd_ = -1;
  close();
  return shared;
}

void DirReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  openedIdentity_.reset();
  filled_ = pos_ = 0;
  readError_ = 0;
  atEnd_ = false;
}

int DirReader::identity(FolderIdentity& id) const {
  if (openedIdentity_) {
    id = *openedIdentity_;
    return 0;
  }
  struct stat st;
  if (fstat(fd_, &st) != 0) return errno;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  return 0;
}

bool DirReader::refill() {
  if (fd_ < 0 || atEnd_) return false;
  long got = syscall(SYS_getdents64, fd_, buffer_.get(), kBufferSize);
  if (got < 0) {
    readError_ = errno;
    atEnd_ = true;
    return false;
  }
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  filled_ = static_cast<size_t>(got);
  pos_ = 0;
  return true;
}

bool DirReader::next(DirEntry& entry) {
  while (!nextInBatch(entry)) {
    if (!refill()) return false;
  }
  return true;
}

bool DirReader::readBatch() {
  return refill();
}

bool DirReader::nextInBatch(DirEntry& entry) {
  if (pos_ >= filled_) return false;
  const char* record = buffer_.get() + pos_;
  unsigned short length;
  std::memcpy(&length, record + offsetof(KernelDirent64, d_reclen), sizeof length);
  const char* name = record + offsetof(KernelDirent64, d_name);
  entry.name = std::string_view(name, std::strlen(name));
  entry.kind = kindOf(static_cast<unsigned char>(record[offsetof(KernelDirent64, d_type)]));
  pos_ += length;
  return true;
}

int DirReader::examine(const DirEntry& entry, EntryFacts& facts) const {
  struct stat st;
  const char* name = entry.name.data();
  facts.isLink = entry.kind == EntryKind::SymbolicLink;
  // An entry of unknown type is looked at as itself first, so that a link
  // among them is known as one.
  if (entry.kind == EntryKind::Unknown) {
    if (fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    facts.isLink = S_ISLNK(st.st_mode);
    if (!facts.isLink) {
      copyFacts(st, facts);
      return 0;
    }
  }
  if (fstatat(fd_, name, &st, 0) == 0) {
    copyFacts(st, facts);
    return 0;
  }
  int error = errno;
  if (facts.isLink && (error == ENOENT || error == ELOOP) &&
      fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
    copyFacts(st, facts);
    return 0;
  }
  return error;
}

int DirReader::examineSubFolder(const DirEntry& entry, FolderIdentity& id) const {
  struct stat st;
  if (fstatat(fd_, entry.name.data(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return kFolderChanged;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  return 0;
}

// Entries that are plain files or folders go through the ring; links and
// entries of unknown kind, which may need a second look, are looked at one by
// one, as are all of them when there is no ring or it failed.
void DirReader::examineAll(std::span<EntryLookup> lookups, const std::atomic<bool>& cancel) {
  if (ring_) {
    ringLookups_.clear();
    for (EntryLookup& lookup : lookups) {
      const bool plainKind =
          lookup.entry.kind == EntryKind::File || lookup.entry.kind == EntryKind::Directory;
      if (lookup.what == LookUp::SubFolder || (lookup.what == LookUp::Entry && plainKind)) {
        ringLookups_.push_back(&lookup);
      }
    }
    if (!ring_->lookUpAll(fd_, ringLookups_, cancel)) ring_.reset();
  }
  for (EntryLookup& lookup : lookups) {
    if (lookup.done || lookup.what == LookUp::None) continue;
    if (cancel.load(std::memory_order_relaxed)) return;
    lookUp(lookup);
  }
}

void DirReader::lookUp(EntryLookup& lookup) const {
  lookup.done = true;
  if (lookup.what == LookUp::Entry) {
    lookup.error = examine(lookup.entry, lookup.facts);
    return;
  }
  FolderIdentity id;
  lookup.error = examineSubFolder(lookup.entry, id);
  lookup.facts.device = id.device;
  lookup.facts.inode = id.inode;
}

}  // namespace tallyfold
