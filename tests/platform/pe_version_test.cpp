#include "platform/pe_version.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using Version = std::array<uint16_t, 4>;
using test::buildPeWithVersion;
using test::put16;
using test::put32;
using test::TempDir;
using namespace test::pe;

std::optional<Version> versionOf(const TempDir& dir, const std::string& bytes) {
  return readPeFileVersion(dir.writeFile("image.exe", bytes));
}

TEST(PeVersion, ReadsTheFileVersionOfPe32AndPe32Plus) {
  TempDir dir;
  EXPECT_EQ(versionOf(dir, buildPeWithVersion({5, 1, 2600, 0})), (Version{5, 1, 2600, 0}));
  EXPECT_EQ(versionOf(dir, buildPeWithVersion({65535, 0, 40000, 1}, true)),
            (Version{65535, 0, 40000, 1}));
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
  const std::string path = dir.writeFile("image.exe", buildPeWithVersion({1, 2, 3, 4}));
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
    std::string bytes = buildPeWithVersion({1, 2, 3, 4});
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
  const std::string whole = buildPeWithVersion({1, 2, 3, 4});
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
