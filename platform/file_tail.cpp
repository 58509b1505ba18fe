#include "platform/file_tail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_descriptor.h"

namespace tallyfold {

namespace {

bool readFullyAt(int fd, char* buffer, size_t count, off_t offset) {
  while (count > 0) {
    const ssize_t got = pread(fd, buffer, count, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer += got;
    count -= static_cast<size_t>(got);
    offset += got;
  }
  return true;
}

}  // namespace

std::optional<std::string> readFileTail(const std::string& path, size_t count) {
  // O_NONBLOCK keeps a FIFO or device named like a file from stalling the
  // open; only regular files are read.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  return readOpenFileTail(file.get(), count);
}

std::optional<std::string> readOpenFileTail(int fd, size_t count) {
  struct stat facts {};
  if (fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) return std::nullopt;
  const auto size = static_cast<size_t>(facts.st_size);
  const size_t wanted = size < count ? size : count;
  std::string bytes(wanted, '\0');
  if (!readFullyAt(fd, bytes.data(), wanted, static_cast<off_t>(size - wanted))) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace tallyfold
