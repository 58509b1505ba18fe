// The details a stored scan hands to its reports: every field comes back as
// it was kept, texts of any bytes and length and the largest numbers
// included, and a file kept again answers with what was kept last.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/catalogue_types.h"

namespace tallyfold {
namespace {

FileDetails everyField(const std::string& mark) {
  FileDetails details;
  details.owner = "owner" + mark;
  details.version = "5.1.2600." + mark;
  details.crc32 = "3610A686";
  details.sha256 = std::string(64, 'e');
  details.tags = {"Title " + mark, "Artist", "Album", "1999", "Jazz", std::string(300, 'c')};
  details.media.durationMs = 4294967295u;
  details.media.bitrateKbps = 320;
  details.media.sampleRate = 44100;
  details.media.channels = 2;
  details.media.width = 127;
  details.media.height = 128;
  details.media.taken = "2024-03-05T14:07:09+01:00";
  details.media.camera = std::string("Cam\0\xFF\n", 6) + mark;
  details.media.codec = "H.264 / AAC";
  return details;
}

void expectSame(const FileDetails& got, const FileDetails& want) {
  EXPECT_EQ(got.owner, want.owner);
  EXPECT_EQ(got.version, want.version);
  EXPECT_EQ(got.crc32, want.crc32);
  EXPECT_EQ(got.sha256, want.sha256);
  EXPECT_EQ(got.tags.title, want.tags.title);
  EXPECT_EQ(got.tags.artist, want.tags.artist);
  EXPECT_EQ(got.tags.album, want.tags.album);
  EXPECT_EQ(got.tags.year, want.tags.year);
  EXPECT_EQ(got.tags.genre, want.tags.genre);
  EXPECT_EQ(got.tags.comment, want.tags.comment);
  EXPECT_EQ(got.media.durationMs, want.media.durationMs);
  EXPECT_EQ(got.media.bitrateKbps, want.media.bitrateKbps);
  EXPECT_EQ(got.media.sampleRate, want.media.sampleRate);
  EXPECT_EQ(got.media.channels, want.media.channels);
  EXPECT_EQ(got.media.width, want.media.width);
  EXPECT_EQ(got.media.height, want.media.height);
  EXPECT_EQ(got.media.taken, want.media.taken);
  EXPECT_EQ(got.media.camera, want.media.camera);
  EXPECT_EQ(got.media.codec, want.media.codec);
}

TEST(StoredDetailsTest, EveryFieldComesBackAsKeptAndAFileNotKeptIsBlank) {
  StoredDetails stored;
  EXPECT_TRUE(stored.empty());
  stored.keep({0, 0}, everyField("a"));
  FileDetails onlyCrc;
  onlyCrc.crc32 = "00000000";
  stored.keep({7, 3}, onlyCrc);
  stored.keep({0, 1}, everyField("b"));
  stored.keep({0, 1}, everyField("c"));
  EXPECT_FALSE(stored.empty());

  FileDetails got = everyField("left over");
  EXPECT_EQ(stored.details({0, 0}, got), 0);
  expectSame(got, everyField("a"));
  EXPECT_EQ(stored.details({0, 1}, got), 0);
  expectSame(got, everyField("c"));
  EXPECT_EQ(stored.details({7, 3}, got), 0);
  expectSame(got, onlyCrc);
  // The same file number in another folder, and a folder's own record.
  EXPECT_EQ(stored.details({3, 7}, got), 0);
  expectSame(got, FileDetails{});
  EXPECT_EQ(stored.details({0, RecordRef::kFolderRecord}, got), 0);
  expectSame(got, FileDetails{});
}

}  // namespace
}  // namespace tallyfold
