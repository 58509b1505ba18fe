#pragma once
// The pixel size of an image from its header alone, for images that hold no
// metadata the metadata library reads: JPEG (its frame header), PNG, GIF, BMP
// and WebP. Reads a few small pieces of the file, never all of it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tallyfold {

// Reads up to count bytes at offset into into; answers how many it read.
using ReadBytesAt = std::function<size_t(uint64_t offset, unsigned char* into, size_t count)>;

struct ImageHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  std::string_view format;  // "JPEG", "PNG", "GIF", "BMP", "WebP"
};

// Nothing when the bytes begin as none of these formats or end before their
// size; a size of zero is no size either.
std::optional<ImageHeader> readImageHeader(const ReadBytesAt& read);

}  // namespace tallyfold
