// The image header reader: any bytes read without fault, in a bounded number
// of small reads, and a size it finds is a size (neither side zero), of a
// format it names.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "reader/image_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  size_t reads = 0;
  const ReadBytesAt read = [&](uint64_t offset, unsigned char* into, size_t count) -> size_t {
    ++reads;
    FUZZ_CHECK(count <= 64);
    if (offset >= size) return 0;
    const size_t got = std::min<size_t>(count, size - static_cast<size_t>(offset));
    std::memcpy(into, data + offset, got);
    return got;
  };
  const std::optional<ImageHeader> header = readImageHeader(read);
  // A JPEG's segments are followed one read or two each, up to a limit.
  FUZZ_CHECK(reads <= 2 * 4096 + 2);
  if (!header) return 0;
  FUZZ_CHECK(header->width != 0 && header->height != 0);
  const std::string_view formats[] = {"JPEG", "PNG", "GIF", "BMP", "WebP"};
  bool known = false;
  for (std::string_view format : formats) known = known || format == header->format;
  FUZZ_CHECK(known);
  return 0;
}
