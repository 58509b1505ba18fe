#pragma once
// CRC-32 (the zlib polynomial) of a file's bytes, with libdeflate.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

// What reading a file for its CRC gave. Neither a CRC nor an error nor a
// cancel: the file is not a regular file (a device, a pipe, a folder), whose
// bytes may never end, so it is not read.
struct CrcReading {
  std::optional<uint32_t> crc;
  int error = 0;  // errno of a failed read
  bool cancelled = false;
};

// The CRC of an open file from its first byte. The cancel flag, when given, is
// looked at before every block of 64 KiB, on both threads of a large file; once
// it is set the read ends without a CRC.
CrcReading crc32OfOpenFile(int fd, const std::atomic<bool>* cancel = nullptr);
// By path (links followed). Empty when the path is not a regular file, cannot
// be opened or read, or the read was cancelled.
std::optional<uint32_t> fileCrc32(const std::string& path,
                                  const std::atomic<bool>* cancel = nullptr);
// 8 upper-case hexadecimal digits.
std::string crc32Text(uint32_t crc);

}  // namespace tallyfold
