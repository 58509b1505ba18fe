#include "reader/image_header.h"

#include <array>
#include <cstring>

namespace tallyfold {

namespace {

// A JPEG frame header lies after the application segments (EXIF with its
// thumbnail, ICC profiles); a file that has not reached it by then is not
// worth searching further.
constexpr uint64_t kJpegSearchBytes = 16ULL << 20;
constexpr int kJpegMostSegments = 4096;

uint32_t bigEndian16(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

uint32_t bigEndian32(const unsigned char* p) {
  return bigEndian16(p) << 16 | bigEndian16(p + 2);
}

uint32_t littleEndian16(const unsigned char* p) {
  return static_cast<uint32_t>(p[1]) << 8 | p[0];
}

uint32_t littleEndian24(const unsigned char* p) {
  return static_cast<uint32_t>(p[2]) << 16 | littleEndian16(p);
}

uint32_t littleEndian32(const unsigned char* p) {
  return littleEndian24(p) | static_cast<uint32_t>(p[3]) << 24;
}

std::optional<ImageHeader> sized(uint32_t width, uint32_t height, std::string_view format) {
  if (width == 0 || height == 0) return std::nullopt;
  return ImageHeader{width, height, format};
}

std::optional<ImageHeader> pngSize(const unsigned char* head, size_t got) {
  if (got < 24 || std::memcmp(head + 12, "IHDR", 4) != 0) return std::nullopt;
  const uint32_t width = bigEndian32(head + 16);
  const uint32_t height = bigEndian32(head + 20);
  // Both are at most 2^31 - 1 by the format's own rule.
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
  return sized(width, height, "PNG");
}

std::optional<ImageHeader> gifSize(const unsigned char* head, size_t got) {
  if (got < 10) return std::nullopt;
  return sized(littleEndian16(head + 6), littleEndian16(head + 8), "GIF");
}

std::optional<ImageHeader> bmpSize(const unsigned char* head, size_t got) {
  if (got < 26) return std::nullopt;
  const uint32_t headerSize = littleEndian32(head + 14);
  if (headerSize == 12) {  // the old OS/2 header: 16-bit sizes
    return sized(littleEndian16(head + 18), littleEndian16(head + 20), "BMP");
  }
  if (headerSize < 40) return std::nullopt;
  const uint32_t width = littleEndian32(head + 18);
  // A negative height marks rows stored top down.
  const int64_t height = static_cast<int32_t>(littleEndian32(head + 22));
  if (width > 0x7FFFFFFF) return std::nullopt;
  return sized(width, static_cast<uint32_t>(height < 0 ? -height : height), "BMP");
}

std::optional<ImageHeader> webpSize(const unsigned char* head, size_t got) {
  if (got < 30) return std::nullopt;
  const unsigned char* chunk = head + 12;
  if (std::memcmp(chunk, "VP8 ", 4) == 0) {
    // A key frame: three bytes of frame tag, the start code, then the sizes.
    if (head[23] != 0x9D || head[24] != 0x01 || head[25] != 0x2A) return std::nullopt;
    return sized(littleEndian16(head + 26) & 0x3FFF, littleEndian16(head + 28) & 0x3FFF, "WebP");
  }
  if (std::memcmp(chunk, "VP8L", 4) == 0) {
    if (head[20] != 0x2F) return std::nullopt;
    const uint32_t bits = littleEndian32(head + 21);
    return sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1, "WebP");
  }
  if (std::memcmp(chunk, "VP8X", 4) == 0) {
    return sized(littleEndian24(head + 24) + 1, littleEndian24(head + 27) + 1, "WebP");
  }
  return std::nullopt;
}

// Markers that start a frame and carry its size: SOF0 to SOF15 but for the
// Huffman table (C4), the arithmetic coding extension (C8) and its
// conditioning table (CC).
bool isFrameMarker(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length.
bool isBareMarker(unsigned char marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

std::optional<ImageHeader> jpegSize(const ReadBytesAt& read) {
  uint64_t at = 2;
  for (int segment = 0; segment < kJpegMostSegments && at < kJpegSearchBytes; ++segment) {
    unsigned char head[9];
    if (read(at, head, 2) != 2 || head[0] != 0xFF) return std::nullopt;
    const unsigned char marker = head[1];
    if (marker == 0xFF) {  // a fill byte before the marker
      ++at;
      continue;
    }
    if (isBareMarker(marker)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // the end, or the scan
    if (read(at + 2, head + 2, 7) < 2) return std::nullopt;
    const uint32_t length = bigEndian16(head + 2);
    if (length < 2) return std::nullopt;
    if (isFrameMarker(marker)) {
      if (length < 7 || read(at + 2, head + 2, 7) != 7) return std::nullopt;
      return sized(bigEndian16(head + 7), bigEndian16(head + 5), "JPEG");
    }
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ImageHeader> readImageHeader(const ReadBytesAt& read) {
  std::array<unsigned char, 32> head{};
  const size_t got = read(0, head.data(), head.size());
  const unsigned char* p = head.data();
  if (got >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return jpegSize(read);
  if (got >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return pngSize(p, got);
  if (got >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0)) {
    return gifSize(p, got);
  }
  if (got >= 2 && p[0] == 'B' && p[1] == 'M') return bmpSize(p, got);
  if (got >= 12 && std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WEBP", 4) == 0) {
    return webpSize(p, got);
  }
  return std::nullopt;
}

}  // namespace tallyfold
