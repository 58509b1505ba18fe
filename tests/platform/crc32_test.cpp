#include "platform/crc32.h"

#include <gtest/gtest.h>

#include <array>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

// The textbook table-driven CRC-32, to check the fast one against.
uint32_t slowCrc32(std::string_view bytes) {
  static const auto table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
      entries[n] = c;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF];
  return ~crc;
}

TEST(Crc32, OfKnownBytesAndEmptyFiles) {
  TempDir dir;
  EXPECT_EQ(fileCrc32(dir.writeFile("check.txt", "123456789")), 0xCBF43926u);
  EXPECT_EQ(fileCrc32(dir.writeFile("empty.txt")), 0u);
  EXPECT_EQ(crc32Text(0xCBF43926u), "CBF43926");
  EXPECT_EQ(crc32Text(0xABCu), "00000ABC");
  EXPECT_EQ(crc32Text(0), "00000000");
}

// From 16 MiB on, the two halves of a file are summed at once and their CRCs
// joined; either way the CRC must be the textbook one.
TEST(Crc32, OfFilesOfManyReadBlocks) {
  TempDir dir;
  for (size_t size :
       {size_t{3} << 20, (size_t{16} << 20) - 1, (size_t{16} << 20), (size_t{37} << 20) + 12345}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    EXPECT_EQ(fileCrc32(dir.writeFile("large.bin", bytes)), slowCrc32(bytes)) << size;
  }
}

TEST(Crc32, NothingForWhatCannotBeRead) {
  TempDir dir;
  EXPECT_EQ(fileCrc32(dir / "missing.bin"), std::nullopt);
  EXPECT_EQ(fileCrc32(dir.path()), std::nullopt);
}

}  // namespace
}  // namespace tallyfold
