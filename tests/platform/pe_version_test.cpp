#include "platform/pe_version.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <tuple>

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
  auto damaged = [&](size_t at, int width, uint32_t value) {
    std::string bytes = buildPeWithVersion({1, 2, 3, 4});
    if (width == 1) {
      bytes[at] = static_cast<char>(value);
    } else {
      (width == 2 ? put16 : put32)(bytes, at, value);
    }
    return versionOf(dir, bytes);
  };
  // The value of a width written at a place: headers beyond the file, a wrong
  // signature or magic, too few data directories, no section or too many; no
  // version type, a directory of impossible size, a tree that leads back to
  // its root, a data entry outside every section; a wrong key, signature or
  // size in the version block itself.
  const std::tuple<size_t, int, uint32_t> damages[] = {{0x3C, 4, 0xFFFFFFF0u},
                                                       {kPeHeaderAt + 2, 1, 'X'},
                                                       {kOptionalHeaderAt, 2, 0x107},
                                                       {kOptionalHeaderAt + 92, 4, 2},
                                                       {kPeHeaderAt + 6, 2, 0},
                                                       {kPeHeaderAt + 6, 2, 0xFFFF},
                                                       {kRootDirectory + 24, 4, 17},
                                                       {kRootDirectory + 12, 2, 0xFFFF},
                                                       {kNameDirectory + 20, 4, kSubdirectory},
                                                       {kDataEntry, 4, 0x9000},
                                                       {kVersionBlock + 6, 1, 'X'},
                                                       {kVersionBlock + 40, 4, 0xFEEF04BE},
                                                       {kVersionBlock + 2, 2, 0}};
  for (const auto& [at, width, value] : damages) {
    EXPECT_EQ(damaged(at, width, value), std::nullopt) << at << " " << value;
  }
  // A data entry claiming more than the section holds reads what is there.
  EXPECT_EQ(damaged(kDataEntry + 4, 4, 0xFFFFFFFFu), (Version{1, 2, 3, 4}));
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
