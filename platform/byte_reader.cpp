#include "platform/byte_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tallyfold {

ByteReader::~ByteReader() {
  if (fd_ >= 0) ::close(fd_);
}

int ByteReader::open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return errno;
  struct stat facts {};
  if (fstat(fd_, &facts) == 0 && S_ISDIR(facts.st_mode)) return EISDIR;
  return 0;
}

long ByteReader::read(char* buffer, size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, size);
    if (count >= 0) return static_cast<long>(count);
    if (errno != EINTR) return -errno;
  }
}

}  // namespace tallyfold
