#include "platform/mapped_file.h"

#include <sys/mman.h>

namespace tallyfold {

MappedFile::~MappedFile() {
  unmap();
}

bool MappedFile::map(int fd, size_t length) {
  unmap();
  if (length == 0) return false;
  void* view = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) return false;
  data_ = static_cast<unsigned char*>(view);
  size_ = length;
  return true;
}

void MappedFile::unmap() {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace tallyfold
