#include "platform/crc32.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace tallyfold {

namespace {

// Large reads keep the system-call count low on big files; one buffer per
// thread, so a report over many small files allocates nothing per file.
constexpr size_t kBlockSize = size_t{1} << 20;

unsigned char* threadBuffer() {
  thread_local std::unique_ptr<unsigned char[]> buffer;
  if (!buffer) buffer.reset(new unsigned char[kBlockSize]);
  return buffer.get();
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<uint32_t> fileCrc32(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  unsigned char* buffer = threadBuffer();
  uint32_t crc = 0;
  for (;;) {
    ssize_t got = read(file.get(), buffer, kBlockSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return crc;
    crc = libdeflate_crc32(crc, buffer, static_cast<size_t>(got));
  }
}

std::string crc32Text(uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
  return text;
}

}  // namespace tallyfold
