#include "platform/crc32.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace tallyfold {

namespace {

// Large reads keep the system-call count low on big files.
constexpr size_t kBlockSize = size_t{1} << 20;
// From this size on, reading the next block and summing the last one run at
// the same time on two threads; below it a second thread costs more than it
// saves.
constexpr uint64_t kOverlapFrom = 8 * kBlockSize;

// Two blocks per calling thread, so a report over many files allocates
// nothing per file.
unsigned char* threadBuffer(int which) {
  thread_local std::unique_ptr<unsigned char[]> buffers[2];
  if (!buffers[which]) buffers[which].reset(new unsigned char[kBlockSize]);
  return buffers[which].get();
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

// Bytes read, 0 at the end of the file, -1 on an error.
ssize_t readBlock(int fd, unsigned char* buffer) {
  for (;;) {
    ssize_t got = read(fd, buffer, kBlockSize);
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::optional<uint32_t> crcInOneThread(int fd) {
  unsigned char* buffer = threadBuffer(0);
  uint32_t crc = 0;
  for (;;) {
    ssize_t got = readBlock(fd, buffer);
    if (got < 0) return std::nullopt;
    if (got == 0) return crc;
    crc = libdeflate_crc32(crc, buffer, static_cast<size_t>(got));
  }
}

// The calling thread reads block after block into two buffers in turn; a
// helper thread adds each filled buffer to the CRC, in order, and hands it
// back empty.
class OverlappedCrc {
 public:
  OverlappedCrc() : buffers_{threadBuffer(0), threadBuffer(1)} {}
  OverlappedCrc(const OverlappedCrc&) = delete;
  OverlappedCrc& operator=(const OverlappedCrc&) = delete;

  // Throws std::system_error when no thread can be started.
  std::optional<uint32_t> run(int fd) {
    helper_ = std::thread([this] { sumBlocks(); });
    bool ok = true;
    for (int slot = 0;; slot ^= 1) {
      waitUntilEmpty(slot);
      ssize_t got = readBlock(fd, buffers_[slot]);
      if (got <= 0) {
        ok = got == 0;
        break;
      }
      hand(slot, static_cast<size_t>(got));
    }
    finish();
    if (!ok) return std::nullopt;
    return crc_;
  }

 private:
  void waitUntilEmpty(int slot) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return length_[slot] == 0; });
  }

  void hand(int slot, size_t length) {
    {
      std::lock_guard lock(mutex_);
      length_[slot] = length;
    }
    changed_.notify_all();
  }

  void finish() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    helper_.join();
  }

  void sumBlocks() {
    for (int slot = 0;; slot ^= 1) {
      size_t length = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return length_[slot] != 0 || done_; });
        length = length_[slot];
      }
      if (length == 0) return;  // done, and nothing left to sum
      crc_ = libdeflate_crc32(crc_, buffers_[slot], length);
      {
        std::lock_guard lock(mutex_);
        length_[slot] = 0;
      }
      changed_.notify_all();
    }
  }

  unsigned char* buffers_[2];
  size_t length_[2] = {0, 0};
  bool done_ = false;
  uint32_t crc_ = 0;  // the helper's until it is joined
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread helper_;
};

}  // namespace

std::optional<uint32_t> fileCrc32(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  struct stat info {};
  if (fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<uint64_t>(info.st_size) >= kOverlapFrom) {
    try {
      return OverlappedCrc().run(file.get());
    } catch (const std::system_error&) {
      // No second thread to be had: sum in this one.
    }
  }
  return crcInOneThread(file.get());
}

std::string crc32Text(uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
  return text;
}

}  // namespace tallyfold
