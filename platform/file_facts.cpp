#include "platform/file_facts.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include <mutex>
#include <unordered_map>

namespace tallyfold {

namespace {

// Whether the file system of a device keeps DOS attributes that the FAT
// ioctl can read. Asked once per device: most devices never need the extra
// open of each file.
class DosAttributeDevices {
 public:
  bool keepsAttributes(dev_t device, const std::string& pathOnDevice) {
    std::lock_guard lock(mutex_);
    auto known = devices_.find(device);
    if (known != devices_.end()) return known->second;
    struct statfs info {};
    bool fat = statfs(pathOnDevice.c_str(), &info) == 0 && info.f_type == MSDOS_SUPER_MAGIC;
    devices_.emplace(device, fat);
    return fat;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<dev_t, bool> devices_;
};

DosAttributeDevices& dosAttributeDevices() {
  static DosAttributeDevices instance;
  return instance;
}

bool nameIsHidden(const std::string& path) {
  size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return false;
  size_t slash = path.rfind('/', end);
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return path[start] == '.';
}

uint8_t dosAttributes(int fd) {
  uint32_t attributes = 0;
  if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0) return 0;
  uint8_t word = 0;
  if (attributes & ATTR_SYS) word |= kSystemAttribute;
  if (attributes & ATTR_ARCH) word |= kArchiveAttribute;
  return word;
}

}  // namespace

int FolderHandle::open(const std::string& path) {
  close();
  constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  if (path.size() < PATH_MAX) {
    fd_ = ::open(path.c_str(), kFlags);
    return fd_ < 0 ? errno : 0;
  }
  // Too long for one look-up: open it a part at a time, each part ending at a
  // "/" and fitting the limit, each opened relative to the one before.
  int at = path.front() == '/' ? ::open("/", kFlags) : ::open(".", kFlags);
  size_t start = 0;
  while (at >= 0 && start < path.size()) {
    while (start < path.size() && path[start] == '/') ++start;
    if (start == path.size()) break;
    size_t end = path.size();
    if (end - start >= PATH_MAX) {
      end = path.rfind('/', start + PATH_MAX - 1);
      // A single name longer than the limit: the system refuses it.
      if (end == std::string::npos || end <= start) end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
    }
    int next = ::openat(at, path.substr(start, end - start).c_str(), kFlags);
    int error = errno;
    ::close(at);
    at = next;
    if (at < 0) return error;
    start = end;
  }
  if (at < 0) return errno;
  fd_ = at;
  return 0;
}

void FolderHandle::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

void copyFacts(const struct stat& info, FileFacts& facts) {
  facts.size = static_cast<uint64_t>(info.st_size);
  facts.mtime = static_cast<int64_t>(info.st_mtime);
  facts.uid = info.st_uid;
  facts.device = static_cast<uint64_t>(info.st_dev);
  facts.inode = static_cast<uint64_t>(info.st_ino);
  facts.isDirectory = S_ISDIR(info.st_mode);
  facts.isRegular = S_ISREG(info.st_mode);
}

}  // namespace

int examineIn(int folderFd, const std::string& name, FileFacts& facts) {
  struct stat info {};
  if (fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  facts.isLink = S_ISLNK(info.st_mode);
  if (facts.isLink && fstatat(folderFd, name.c_str(), &info, 0) != 0) return errno;
  copyFacts(info, facts);
  if (facts.isLink) facts.isRegular = false;
  return 0;
}

int openForReadingIn(int folderFd, const std::string& name, const FileFacts& examined) {
  int fd =
      openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return errno == ELOOP ? -kFileChangedError : -errno;
  struct stat opened {};
  if (fstat(fd, &opened) != 0) {
    int error = errno;
    close(fd);
    return -error;
  }
  const bool same = S_ISREG(opened.st_mode) &&
                    static_cast<uint64_t>(opened.st_dev) == examined.device &&
                    static_cast<uint64_t>(opened.st_ino) == examined.inode;
  if (same) return fd;
  close(fd);
  return -kFileChangedError;
}

uint8_t attributeWord(unsigned mode, bool nameIsHidden, int fd) {
  uint8_t word = 0;
  if ((mode & S_IWUSR) == 0) word |= kReadOnlyAttribute;
  if (nameIsHidden) word |= kHiddenAttribute;
  if (fd >= 0) word |= dosAttributes(fd);
  return word;
}

std::optional<FileFacts> statPath(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  FileFacts facts;
  facts.size = static_cast<uint64_t>(info.st_size);
  facts.mtime = static_cast<int64_t>(info.st_mtime);
  facts.uid = info.st_uid;
  facts.isDirectory = S_ISDIR(info.st_mode);
  facts.isRegular = S_ISREG(info.st_mode);
  int fd = -1;
  if ((S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) &&
      dosAttributeDevices().keepsAttributes(info.st_dev, path)) {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  }
  facts.attributes = attributeWord(info.st_mode, nameIsHidden(path), fd);
  if (fd >= 0) close(fd);
  return facts;
}

}  // namespace tallyfold
