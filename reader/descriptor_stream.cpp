#include "reader/descriptor_stream.h"

#include <climits>

namespace tallyfold {

namespace {

// One read is never larger than the budget of a whole file.
constexpr unsigned long kLargestBlock = static_cast<unsigned long>(kTagReadBudgetBytes);

}  // namespace

DescriptorStream::DescriptorStream(int fd, uint64_t budget) : file_(fd, budget) {
  const uint64_t size = file_.size();
  length_ = size > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(size);
}

TagLib::FileName DescriptorStream::name() const {
  return "";
}

TagLib::ByteVector DescriptorStream::readBlock(unsigned long length) {
  if (position_ < 0 || position_ >= length_) return {};
  const unsigned long left = static_cast<unsigned long>(length_ - position_);
  if (length > left) length = left;
  if (length > kLargestBlock) length = kLargestBlock;
  if (length == 0) return {};
  TagLib::ByteVector block(static_cast<unsigned int>(length));
  const size_t got = file_.readAt(static_cast<uint64_t>(position_), block.data(), length);
  block.resize(static_cast<unsigned int>(got));
  position_ += static_cast<long>(got);
  return block;
}

void DescriptorStream::writeBlock(const TagLib::ByteVector&) {}

void DescriptorStream::insert(const TagLib::ByteVector&, unsigned long, unsigned long) {}

void DescriptorStream::removeBlock(unsigned long, unsigned long) {}

void DescriptorStream::truncate(long) {}

void DescriptorStream::seek(long offset, Position p) {
  long base = 0;
  if (p == Current) base = position_;
  if (p == End) base = length_;
  // Far seeks saturate instead of wrapping around.
  if (offset > 0 && base > LONG_MAX - offset) {
    position_ = LONG_MAX;
  } else {
    position_ = base + offset;
  }
  if (position_ < 0) position_ = 0;
}

}  // namespace tallyfold
