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

// Writing through a symbolic link replaces the file it points to and keeps
// the link, as editors do.
std::string resolvedTarget(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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

bool readWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  // Read straight into the string, sized to the file; keep going past that
  // size in case the file grows meanwhile (or reports no size at all).
  struct stat info {};
  size_t capacity = 65536;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    capacity = static_cast<size_t>(info.st_size) + 1;
  }
  size_t filled = 0;
  bool ok = true;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(std::max(capacity, bytes.size() * 2));
    ssize_t got = read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  bytes.resize(ok ? filled : 0);
  return ok;
}

bool readTextLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::string bytes;
  if (!readWholeFile(path, bytes)) return false;
  splitLines(bytes, lines);
  return true;
}

bool replaceFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFileWriter writer(path);
  writer.write(bytes);
  return writer.commit();
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(resolvedTarget(path)) {
  std::string folder = folderOf(path_);
  tempPath_ = folder + "/" + temporaryNamePattern(nameOf(path_));
  int fd = mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd < 0) {
    error_ = errorText("Cannot create a file in " + folder, errno);
    failed_ = true;
    tempPath_.clear();
    return;
  }
  copyPermissionsOfTarget(fd, path_);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    error_ = errorText("Cannot write " + tempPath_, errno);
    failed_ = true;
    close(fd);
    unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) {
    std::fclose(file_);
    unlink(tempPath_.c_str());
  }
}

void AtomicFileWriter::write(std::string_view bytes) {
  if (file_ == nullptr || failed_ || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error_ = errorText("Cannot write " + path_, errno);
    failed_ = true;
  }
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
  if (!failed_ && std::fflush(file) != 0) {
    error_ = errorText("Cannot write " + path_, errno);
    failed_ = true;
  }
  if (!failed_ && fsync(fileno(file)) != 0) {
    error_ = errorText("Cannot write " + path_, errno);
    failed_ = true;
  }
  if (std::fclose(file) != 0 && !failed_) {
    error_ = errorText("Cannot write " + path_, errno);
    failed_ = true;
  }
  if (!failed_ && rename(tempPath_.c_str(), path_.c_str()) != 0) {
    error_ = errorText("Cannot replace " + path_, errno);
    failed_ = true;
  }
  if (failed_) {
    unlink(tempPath_.c_str());
    return false;
  }
  syncFolder(folderOf(path_));
  return true;
}

}  // namespace tallyfold
