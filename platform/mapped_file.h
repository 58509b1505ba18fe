#pragma once
// A read-only view of the first bytes of an open file, mapped into memory:
// a page is read only when it is touched, so a parser that jumps between the
// offsets of a TIFF-like file reads what it looks at, not the whole file.

#include <cstddef>

namespace tallyfold {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps length bytes from the start of fd (replacing any view before);
  // false when the mapping fails (its memory limit, a file that is no file).
  bool map(int fd, size_t length);
  void unmap();
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace tallyfold
