#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace tallyfold {

namespace {

std::string errorText(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

void splitLines(std::string_view bytes, std::vector<std::string>& lines) {
  size_t start = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    char c = bytes[pos];
    if (c != '\r' && c != '\n') {
      ++pos;
      continue;
    }
    lines.emplace_back(bytes.substr(start, pos - start));
    pos += (c == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
    start = pos;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
}

// The umask without changing it: umask() can only be read by setting it,
// which would race with other threads creating files.
mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  return 022;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Writing through a symbolic link replaces the file it points to and keeps
// the link, as editors do; a link to a file that does not exist yet creates
// that file, as the shell's redirection does.
std::string resolvedTarget(const std::string& path) {
  constexpr int kMostLinks = 40;
  std::string target = path;
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
    std::vector<char> text(PATH_MAX + 1);
    const ssize_t length = readlink(target.c_str(), text.data(), text.size() - 1);
    if (length < 0) return target;
    std::string next(text.data(), static_cast<size_t>(length));
    target = next.front() == '/' ? next : folderOf(target) + "/" + next;
  }
  return target;
}

// A target that exists and is no regular file (a device such as /dev/null, a
// FIFO, a terminal) is written in place: replacing it would put a plain file
// where the device or pipe was.
bool isSpecialFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// A fresh ".name.XXXXXX" name in the folder for the finished file; the file
// itself has no name until then.
std::string randomSuffix() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[6];
  std::string suffix;
  if (getentropy(random, sizeof random) != 0) {
    const auto now =
        static_cast<unsigned long>(time(nullptr)) ^ static_cast<unsigned long>(getpid());
    for (size_t i = 0; i < sizeof random; ++i)
      random[i] = static_cast<unsigned char>(now >> (i * 5));
  }
  for (unsigned char r : random) suffix += kLetters[r % (sizeof kLetters - 1)];
  return suffix;
}

// Gives an unnamed file (O_TMPFILE) a name in its folder. Through /proc when
// the process may not link by descriptor itself.
bool linkUnnamedFile(int fd, const std::string& name) {
  if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

std::string nameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".name.XXXXXX", with the name cut short enough (at a character boundary)
// that the temporary name still fits where the target's own name fits.
std::string temporaryNamePattern(const std::string& name) {
  constexpr size_t kLongestKept = 200;
  size_t keep = std::min(name.size(), kLongestKept);
  while (keep > 0 && keep < name.size() &&
         (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  std::string pattern = ".";
  pattern.append(name, 0, keep);
  pattern += ".XXXXXX";
  return pattern;
}

// The new file gets the permission bits (and, where allowed, the owner) of
// the file it replaces; a new file gets the usual 0644 less the umask.
void copyPermissionsOfTarget(int fd, const std::string& target) {
  struct stat info {};
  if (stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    fchmod(fd, info.st_mode & 07777);
    struct stat own {};
    if (fstat(fd, &own) == 0 && (own.st_uid != info.st_uid || own.st_gid != info.st_gid)) {
      // Only possible with privileges; without them the file stays ours.
      if (fchown(fd, info.st_uid, info.st_gid) == 0) fchmod(fd, info.st_mode & 07777);
    }
    return;
  }
  fchmod(fd, 0644 & ~currentUmask());
}

void syncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes, size_t mostBytes) {
  bytes.clear();
  // Opened without waiting (a FIFO with no writer yet would block the open),
  // then read as a blocking file: a pipe such as /dev/stdin or <(...) is read
  // to its end, however slowly its writer goes.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  // Read straight into the string, sized to the file; keep going past that
  // size in case the file grows meanwhile (or reports no size at all).
  struct stat info {};
  size_t capacity = 65536;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    capacity = static_cast<size_t>(info.st_size) + 1;
  }
  capacity = std::min(capacity, mostBytes + 1);
  size_t filled = 0;
  int error = 0;
  for (;;) {
    if (filled > mostBytes) {
      error = EFBIG;  // /dev/zero and its like never end
      break;
    }
    if (filled == bytes.size())
      bytes.resize(std::min(std::max(capacity, bytes.size() * 2), mostBytes + 1));
    ssize_t got = read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  bytes.resize(error == 0 ? filled : 0);
  errno = error;
  return error == 0;
}

bool readTextLines(const std::string& path, std::vector<std::string>& lines, size_t mostBytes) {
  lines.clear();
  std::string bytes;
  if (!readWholeFile(path, bytes, mostBytes)) return false;
  splitLines(bytes, lines);
  return true;
}

bool replaceFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFileWriter writer(path);
  writer.write(bytes);
  return writer.commit();
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(resolvedTarget(path)) {
  if (isSpecialFile(path_)) {
    openInPlace();
    return;
  }
  const std::string folder = folderOf(path_);
  int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    unnamed_ = true;
  } else {
    // File systems without unnamed files get a named one at once.
    tempPath_ = folder + "/" + temporaryNamePattern(nameOf(path_));
    fd = mkostemp(tempPath_.data(), O_CLOEXEC);
  }
  if (fd < 0) {
    fail("Cannot create a file in " + folder);
    tempPath_.clear();
    return;
  }
  copyPermissionsOfTarget(fd, path_);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    fail("Cannot write " + path_);
    close(fd);
    removeTemporaryName();
  }
}

void AtomicFileWriter::openInPlace() {
  inPlace_ = true;
  const int fd = open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd >= 0) file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    fail("Cannot write " + path_);
    if (fd >= 0) close(fd);
  }
}

void AtomicFileWriter::fail(const std::string& what) {
  if (!failed_) error_ = errorText(what, errno);
  failed_ = true;
}

void AtomicFileWriter::removeTemporaryName() {
  if (!tempPath_.empty()) unlink(tempPath_.c_str());
  tempPath_.clear();
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (!inPlace_) removeTemporaryName();
}

void AtomicFileWriter::write(std::string_view bytes) {
  if (file_ == nullptr || failed_ || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    fail("Cannot write " + path_);
}

void AtomicFileWriter::writeLine(std::string_view text) {
  write(text);
  write("\r\n");
}

bool AtomicFileWriter::commit() {
  if (file_ == nullptr) {
    if (error_.empty()) error_ = "Nothing to write to " + path_;
    return false;
  }
  std::FILE* file = file_;
  file_ = nullptr;
  if (!failed_ && std::fflush(file) != 0) fail("Cannot write " + path_);
  // A device or pipe written in place has nothing to sync or rename.
  if (!failed_ && !inPlace_ && fsync(fileno(file)) != 0) fail("Cannot write " + path_);
  if (!failed_ && unnamed_) nameUnnamedFile(fileno(file));
  if (std::fclose(file) != 0 && !failed_) fail("Cannot write " + path_);
  if (inPlace_) return !failed_;
  if (!failed_ && rename(tempPath_.c_str(), path_.c_str()) != 0) fail("Cannot replace " + path_);
  if (failed_) {
    removeTemporaryName();
    return false;
  }
  tempPath_.clear();
  syncFolder(folderOf(path_));
  return true;
}

void AtomicFileWriter::nameUnnamedFile(int fd) {
  const std::string folder = folderOf(path_);
  const std::string stem = folder + "/" + temporaryNamePattern(nameOf(path_));
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath_ = stem.substr(0, stem.size() - 6) + randomSuffix();
    if (linkUnnamedFile(fd, tempPath_)) return;
    if (errno != EEXIST) break;
  }
  tempPath_.clear();
  fail("Cannot create a file in " + folder);
}

}  // namespace tallyfold
