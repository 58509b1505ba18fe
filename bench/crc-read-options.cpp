// The ways the CRC column could read a file, timed one after another over the
// same page-cached files: plain reads of several block sizes (with the
// kernel's read-ahead asked for), and a mapping of the file read in place
// with MADV_SEQUENTIAL, with and without its pages filled in up front. Prints
// the wall and processor time of each; "copy only" is what cat does.
//   crc-read-options FILE...      (built and run by bench/crc-vs-cat.sh)

#include <fcntl.h>
#include <libdeflate.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double processorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

uint32_t readInBlocks(int fd, size_t block, bool sum) {
  std::vector<unsigned char> buffer(block);
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  uint32_t crc = 0;
  ssize_t got;
  while ((got = read(fd, buffer.data(), block)) > 0) {
    crc = sum ? libdeflate_crc32(crc, buffer.data(), static_cast<size_t>(got)) : crc + buffer[0];
  }
  return crc;
}

uint32_t readMapped(int fd, bool populate) {
  struct stat facts {};
  fstat(fd, &facts);
  const auto size = static_cast<size_t>(facts.st_size);
  void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED | (populate ? MAP_POPULATE : 0), fd, 0);
  if (mapped == MAP_FAILED) return 0;
  madvise(mapped, size, MADV_SEQUENTIAL);
  const auto* bytes = static_cast<const unsigned char*>(mapped);
  uint32_t crc = 0;
  for (size_t at = 0; at < size; at += size_t{1} << 20) {
    crc = libdeflate_crc32(crc, bytes + at, std::min(size - at, size_t{1} << 20));
  }
  munmap(mapped, size);
  return crc;
}

struct Option {
  const char* name;
  uint32_t (*read)(int fd);
};

const Option kOptions[] = {
    {"copy only, 128 KiB (cat)", [](int fd) { return readInBlocks(fd, 128 << 10, false); }},
    {"read 1 MiB blocks", [](int fd) { return readInBlocks(fd, 1 << 20, true); }},
    {"read 256 KiB blocks", [](int fd) { return readInBlocks(fd, 256 << 10, true); }},
    {"read 64 KiB blocks", [](int fd) { return readInBlocks(fd, 64 << 10, true); }},
    {"read 32 KiB blocks", [](int fd) { return readInBlocks(fd, 32 << 10, true); }},
    {"mmap + MADV_SEQUENTIAL", [](int fd) { return readMapped(fd, false); }},
    {"mmap + MAP_POPULATE", [](int fd) { return readMapped(fd, true); }},
};

}  // namespace

int main(int argc, char** argv) {
  for (const Option& option : kOptions) {
    const auto start = std::chrono::steady_clock::now();
    const double processorStart = processorSeconds();
    uint32_t all = 0;
    for (int i = 1; i < argc; ++i) {
      const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      all ^= option.read(fd);
      close(fd);
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("%-26s wall %6.3f s  processor %6.3f s  (%08x)\n", option.name, wall.count(),
                processorSeconds() - processorStart, all);
  }
}
