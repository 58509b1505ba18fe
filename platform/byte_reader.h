#pragma once
// Reads a file's bytes front to back in pieces, for parsers that stream a
// large file (a listing of a million files) instead of holding it whole.

#include <cstddef>
#include <string>

namespace tallyfold {

class ByteReader {
 public:
  ByteReader() = default;
  ~ByteReader();
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;

  // 0 or the errno of opening it. A folder is refused with EISDIR.
  int open(const std::string& path);
  // Up to size bytes into buffer: their count, 0 at the end, minus the errno
  // of a failed read.
  long read(char* buffer, size_t size);

 private:
  int fd_ = -1;
};

}  // namespace tallyfold
