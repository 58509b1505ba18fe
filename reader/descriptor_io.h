#pragma once
// A read-only Exiv2 input over a descriptor the reader was handed. Reads stop
// after a budget of bytes, and the file shows no more than its first
// kLargestImageView bytes: what lies beyond (the pixel data of a large raw
// file) holds no metadata. The TIFF-based formats ask for the file as one
// block of memory; they get a mapping, whose pages are read only as touched.
// Small reads (a JPEG's markers are read a byte at a time) come from a window
// of the file read ahead, one read of the file for many of them.

#include <exiv2/basicio.hpp>

#include <memory>

#include "platform/budgeted_file.h"
#include "platform/mapped_file.h"

namespace tallyfold {

inline constexpr uint64_t kLargestImageView = 96ULL << 20;

class DescriptorIo : public Exiv2::BasicIo {
 public:
  DescriptorIo(int fd, uint64_t budget);

  int open() override;
  int close() override;
  long write(const Exiv2::byte* data, long count) override;
  long write(Exiv2::BasicIo& source) override;
  int putb(Exiv2::byte data) override;
  Exiv2::DataBuf read(long count) override;
  long read(Exiv2::byte* into, long count) override;
  int getb() override;
  void transfer(Exiv2::BasicIo& source) override;
  int seek(long offset, Position from) override;
  Exiv2::byte* mmap(bool writeable = false) override;
  int munmap() override;
  long tell() const override;
  size_t size() const override;
  bool isopen() const override { return true; }
  int error() const override { return 0; }
  bool eof() const override { return atEnd_; }
  std::string path() const override;

 private:
  // Fills the window from offset; false at the end or with the budget spent.
  bool fillWindow(uint64_t offset);

  static constexpr size_t kWindowBytes = 4 * 1024;

  int fd_;
  BudgetedFile file_;
  std::unique_ptr<Exiv2::byte[]> window_;
  uint64_t windowStart_ = 0;
  size_t windowLength_ = 0;
  MappedFile view_;
  uint64_t size_;
  uint64_t position_ = 0;
  bool atEnd_ = false;
};

}  // namespace tallyfold
