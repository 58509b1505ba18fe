#include "reader/descriptor_io.h"

#include <exiv2/error.hpp>

#include <algorithm>
#include <cstring>

namespace tallyfold {

DescriptorIo::DescriptorIo(int fd, uint64_t budget)
    : fd_(fd),
      file_(fd, budget),
      window_(new Exiv2::byte[kWindowBytes]),
      size_(std::min(file_.size(), kLargestImageView)) {}

int DescriptorIo::open() {
  position_ = 0;
  atEnd_ = false;
  return 0;
}

int DescriptorIo::close() {
  view_.unmap();
  return 0;
}

long DescriptorIo::write(const Exiv2::byte*, long) {
  return 0;
}

long DescriptorIo::write(Exiv2::BasicIo&) {
  return 0;
}

int DescriptorIo::putb(Exiv2::byte) {
  return EOF;
}

void DescriptorIo::transfer(Exiv2::BasicIo&) {
  throw Exiv2::Error(Exiv2::kerFunctionNotSupported, "transfer");
}

Exiv2::DataBuf DescriptorIo::read(long count) {
  // A length read from a damaged header can be anything: never more than the
  // file holds is set aside for it.
  if (count < 0 || static_cast<uint64_t>(count) > size_)
    throw Exiv2::Error(Exiv2::kerInvalidMalloc);
  Exiv2::DataBuf buffer(count);
  const long got = read(buffer.pData_, count);
  buffer.size_ = got;
  return buffer;
}

bool DescriptorIo::fillWindow(uint64_t offset) {
  const uint64_t left = offset < size_ ? size_ - offset : 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kWindowBytes, left));
  windowStart_ = offset;
  windowLength_ =
      wanted == 0 ? 0 : file_.readAt(offset, reinterpret_cast<char*>(window_.get()), wanted);
  return windowLength_ != 0;
}

long DescriptorIo::read(Exiv2::byte* into, long count) {
  if (count <= 0) return 0;
  const uint64_t left = position_ < size_ ? size_ - position_ : 0;
  size_t wanted = static_cast<size_t>(std::min(static_cast<uint64_t>(count), left));
  size_t got = 0;
  while (got < wanted) {
    const bool inWindow = position_ >= windowStart_ && position_ < windowStart_ + windowLength_;
    if (!inWindow && wanted - got >= kWindowBytes) {
      // A large block goes straight to its caller.
      const size_t direct =
          file_.readAt(position_, reinterpret_cast<char*>(into + got), wanted - got);
      got += direct;
      position_ += direct;
      break;
    }
    if (!inWindow && !fillWindow(position_)) break;
    const size_t at = static_cast<size_t>(position_ - windowStart_);
    const size_t piece = std::min(wanted - got, windowLength_ - at);
    std::memcpy(into + got, window_.get() + at, piece);
    got += piece;
    position_ += piece;
  }
  if (got < static_cast<size_t>(count)) atEnd_ = true;
  return static_cast<long>(got);
}

int DescriptorIo::getb() {
  Exiv2::byte b = 0;
  return read(&b, 1) == 1 ? b : EOF;
}

int DescriptorIo::seek(long offset, Position from) {
  int64_t base = 0;
  if (from == cur) base = static_cast<int64_t>(position_);
  if (from == end) base = static_cast<int64_t>(size_);
  if (offset > 0 && base > INT64_MAX - static_cast<int64_t>(offset)) return 1;
  const int64_t target = base + offset;
  if (target < 0) return 1;
  position_ = static_cast<uint64_t>(target);
  atEnd_ = position_ > size_;
  return 0;
}

Exiv2::byte* DescriptorIo::mmap(bool writeable) {
  if (writeable) throw Exiv2::Error(Exiv2::kerFunctionNotSupported, "writing");
  if (view_.data() == nullptr && !view_.map(fd_, static_cast<size_t>(size_))) {
    throw Exiv2::Error(Exiv2::kerCallFailed, "mmap");
  }
  return const_cast<Exiv2::byte*>(view_.data());
}

int DescriptorIo::munmap() {
  view_.unmap();
  return 0;
}

long DescriptorIo::tell() const {
  return static_cast<long>(position_);
}

size_t DescriptorIo::size() const {
  return static_cast<size_t>(size_);
}

std::string DescriptorIo::path() const {
  return "";
}

}  // namespace tallyfold
