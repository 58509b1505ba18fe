#include "platform/budgeted_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tallyfold {

bool fileStartsWith(int fd, std::string_view bytes) {
  char head[16];
  if (bytes.size() > sizeof head) return false;
  const ssize_t got = ::pread(fd, head, bytes.size(), 0);
  return got == static_cast<ssize_t>(bytes.size()) && std::string_view(head, bytes.size()) == bytes;
}

BudgetedFile::BudgetedFile(int fd, uint64_t budget) : fd_(fd), budget_(budget) {}

size_t BudgetedFile::readAt(uint64_t offset, char* into, size_t count) {
  const uint64_t left = budget_ - spent_;
  if (count > left) count = static_cast<size_t>(left);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, into + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  spent_ += done;
  return done;
}

uint64_t BudgetedFile::size() const {
  struct stat facts {};
  if (::fstat(fd_, &facts) != 0 || facts.st_size < 0) return 0;
  return static_cast<uint64_t>(facts.st_size);
}

}  // namespace tallyfold
