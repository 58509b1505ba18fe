#pragma once
// A read-only TagLib stream over a descriptor the reader was handed, with a
// budget of bytes per file: past it every read gives nothing, as at the end
// of the file. Writes are refused (the reader never changes a file).

#include <tiostream.h>

#include "platform/budgeted_file.h"

namespace tallyfold {

class DescriptorStream : public TagLib::IOStream {
 public:
  DescriptorStream(int fd, uint64_t budget);

  TagLib::FileName name() const override;
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start = 0,
              unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override { return true; }
  bool isOpen() const override { return true; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return position_; }
  long length() override { return length_; }
  void truncate(long length) override;

 private:
  BudgetedFile file_;
  long length_;
  long position_ = 0;
};

}  // namespace tallyfold
