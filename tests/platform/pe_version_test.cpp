#include "platform/pe_version.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using Version = std::array<uint16_t, 4>;
using test::TempDir;

// Where the parts of the built image lie, so tests can damage them.
constexpr size_t kPeHeaderAt = 0x40;
constexpr size_t kOptionalHeaderAt = kPeHeaderAt + 24;
constexpr size_t kSectionRawAt = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kRootDirectory = kSectionRawAt + 0x00;
constexpr size_t kNameDirectory = kSectionRawAt + 0x20;
constexpr size_t kDataEntry = kSectionRawAt + 0x50;
constexpr size_t kVersionBlock = kSectionRawAt + 0x60;
constexpr size_t kVersionBlockSize = 92;
constexpr size_t kVersionBlockEnd = kVersionBlock + kVersionBlockSize;
constexpr uint32_t kSubdirectory = 0x80000000u;

void put16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& bytes, size_t at, uint32_t value) {
  put16(bytes, at, value & 0xFFFF);
  put16(bytes, at + 2, value >> 16);
}

void putDirectory(std::string& bytes, size_t at, std::vector<std::pair<uint32_t, uint32_t>> ids) {
  put16(bytes, at + 14, static_cast<uint32_t>(ids.size()));
  for (size_t i = 0; i < ids.size(); ++i) {
    put32(bytes, at + 16 + 8 * i, ids[i].first);
    put32(bytes, at + 20 + 8 * i, ids[i].second);
  }
}

// A PE32 (or PE32+) image with one .rsrc section holding an icon type entry
// and a version resource: type 16 / name 1 / language 0x409.
std::string buildPe(const Version& version, bool plus = false) {
  std::string bytes(0x400, '\0');
  bytes[0] = 'M', bytes[1] = 'Z';
  put32(bytes, 0x3C, kPeHeaderAt);
  bytes.replace(kPeHeaderAt, 4, std::string("PE\0\0", 4));
  const uint32_t optionalSize = plus ? 240 : 224;
  put16(bytes, kPeHeaderAt + 4, plus ? 0x8664 : 0x14C);
  put16(bytes, kPeHeaderAt + 6, 1);  // one section
  put16(bytes, kPeHeaderAt + 20, optionalSize);
  put16(bytes, kPeHeaderAt + 22, 0x0102);
  put16(bytes, kOptionalHeaderAt, plus ? 0x20B : 0x10B);
  const size_t directories = kOptionalHeaderAt + (plus ? 112 : 96);
  put32(bytes, directories - 4, 16);  // number of data directories
  const uint32_t resourceSize = kVersionBlockEnd - kSectionRawAt;
  put32(bytes, directories + 16, kSectionRva);
  put32(bytes, directories + 20, resourceSize);

  const size_t section = kOptionalHeaderAt + optionalSize;
  bytes.replace(section, 5, ".rsrc");
  put32(bytes, section + 8, resourceSize);
  put32(bytes, section + 12, kSectionRva);
  put32(bytes, section + 16, 0x200);
  put32(bytes, section + 20, kSectionRawAt);

  putDirectory(bytes, kRootDirectory, {{3, kSubdirectory | 0x20}, {16, kSubdirectory | 0x20}});
  putDirectory(bytes, kNameDirectory, {{1, kSubdirectory | 0x38}});
  putDirectory(bytes, kSectionRawAt + 0x38, {{0x409, 0x50}});
  put32(bytes, kDataEntry, kSectionRva + 0x60);
  put32(bytes, kDataEntry + 4, kVersionBlockSize);

  put16(bytes, kVersionBlock, kVersionBlockSize);
  put16(bytes, kVersionBlock + 2, 52);
  const std::string key = "VS_VERSION_INFO";
  for (size_t i = 0; i < key.size(); ++i) put16(bytes, kVersionBlock + 6 + 2 * i, key[i]);
  const size_t info = kVersionBlock + 40;
  put32(bytes, info, 0xFEEF04BD);
  put32(bytes, info + 4, 0x00010000);
  put32(bytes, info + 8, (uint32_t{version[0]} << 16) | version[1]);
  put32(bytes, info + 12, (uint32_t{version[2]} << 16) | version[3]);
  put32(bytes, info + 16, 0x00090008);  // product version, not the one read
  put32(bytes, info + 20, 0x00070006);
  return bytes;
}

std::optional<Version> versionOf(const TempDir& dir, const std::string& bytes) {
  return readPeFileVersion(dir.writeFile("image.exe", bytes));
}

TEST(PeVersion, ReadsTheFileVersionOfPe32AndPe32Plus) {
  TempDir dir;
  EXPECT_EQ(versionOf(dir, buildPe({5, 1, 2600, 0})), (Version{5, 1, 2600, 0}));
  EXPECT_EQ(versionOf(dir, buildPe({65535, 0, 40000, 1}, true)), (Version{65535, 0, 40000, 1}));
}

TEST(PeVersion, NothingForFilesThatAreNotPeImages) {
  TempDir dir;
  EXPECT_EQ(readPeFileVersion(dir / "missing.exe"), std::nullopt);
  EXPECT_EQ(readPeFileVersion(dir.writeFile("empty.dll")), std::nullopt);
  EXPECT_EQ(readPeFileVersion(dir.writeFile("text.exe", "MZ but nothing more")), std::nullopt);
  EXPECT_EQ(readPeFileVersion(dir.path()), std::nullopt);
}

TEST(PeVersion, NothingFromATruncatedImage) {
  TempDir dir;
  const std::string path = dir.writeFile("image.exe", buildPe({1, 2, 3, 4}));
  ASSERT_EQ(truncate(path.c_str(), kVersionBlockEnd), 0);
  EXPECT_EQ(readPeFileVersion(path), (Version{1, 2, 3, 4}));
  for (size_t length = kVersionBlockEnd; length-- > 0;) {
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0);
    EXPECT_EQ(readPeFileVersion(path), std::nullopt) << length;
  }
}

TEST(PeVersion, NothingFromDamagedHeadersOrResources) {
  TempDir dir;
  const auto damaged = [&](auto damage) {
    std::string bytes = buildPe({1, 2, 3, 4});
    damage(bytes);
    return versionOf(dir, bytes);
  };
  EXPECT_EQ(damaged([](std::string& b) { put32(b, 0x3C, 0xFFFFFFF0u); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { b[kPeHeaderAt + 2] = 'X'; }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put16(b, kOptionalHeaderAt, 0x107); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kOptionalHeaderAt + 92, 2); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put16(b, kPeHeaderAt + 6, 0); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put16(b, kPeHeaderAt + 6, 0xFFFF); }), std::nullopt);
  // No version type; a directory of impossible size; a tree that leads
  // back to its root; a data entry outside every section.
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kRootDirectory + 24, 17); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put16(b, kRootDirectory + 12, 0xFFFF); }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kNameDirectory + 20, kSubdirectory); }),
            std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kDataEntry, 0x9000); }), std::nullopt);
  // A wrong key or signature in the version block itself.
  EXPECT_EQ(damaged([](std::string& b) { b[kVersionBlock + 6] = 'X'; }), std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kVersionBlock + 40, 0xFEEF04BE); }),
            std::nullopt);
  EXPECT_EQ(damaged([](std::string& b) { put16(b, kVersionBlock + 2, 0); }), std::nullopt);
  // A data entry claiming more than the section holds reads what is there.
  EXPECT_EQ(damaged([](std::string& b) { put32(b, kDataEntry + 4, 0xFFFFFFFFu); }),
            (Version{1, 2, 3, 4}));
}

// Any single damaged byte may spoil the answer but never the reading (the
// sanitizer build catches a read outside the buffers).
TEST(PeVersion, SurvivesEverySingleDamagedByte) {
  TempDir dir;
  const std::string whole = buildPe({1, 2, 3, 4});
  const std::string path = dir.writeFile("image.exe", whole);
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  size_t answered = 0;
  for (size_t at = 0; at < kVersionBlockEnd; ++at) {
    for (char value : {'\0', '\x7F', '\xFF'}) {
      ASSERT_EQ(pwrite(fd, &value, 1, static_cast<off_t>(at)), 1);
      if (readPeFileVersion(path)) ++answered;
    }
    ASSERT_EQ(pwrite(fd, &whole[at], 1, static_cast<off_t>(at)), 1);
  }
  close(fd);
  EXPECT_GT(answered, 0u);  // bytes the reader never looks at change nothing
}

}  // namespace
}  // namespace tallyfold
