// The one reader of file details, as the detailed list and the machine
// listings ask it: which details each gets, tag texts whole and on one line.
#include "report/file_detail_reader.h"

#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

#include "platform/user_names.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

FileEntry entryWith(uint8_t attributes) {
  FileEntry entry;
  entry.attributes = attributes;
  return entry;
}

FileDetailChoice everyDetail(bool crcOfHiddenAndSystem) {
  FileDetailChoice choice;
  choice.owner = choice.version = choice.crc32 = choice.sha256 = choice.tags = true;
  choice.crcOfHiddenAndSystem = crcOfHiddenAndSystem;
  return choice;
}

TEST(FileDetailReader, HiddenAndSystemFilesGetTheirCrcOnlyWhenAskedSo) {
  TempDir dir;
  dir.writeFile(".hidden", "abc");
  const FileEntry hidden = entryWith(kHiddenAttribute);
  const FileEntry system = entryWith(kSystemAttribute);
  const FileEntry plain = entryWith(0);
  FileDetails details;

  FileDetailReader listing(everyDetail(true), nullptr);
  listing.enterFolder(dir.path() + "/");
  EXPECT_TRUE(listing.readsCrcOf(hidden));
  ASSERT_EQ(listing.read(".hidden", hidden, details), 0);
  EXPECT_EQ(details.crc32, "352441C2");
  EXPECT_EQ(details.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(details.owner, ownerText(getuid()));

  FileDetailReader report(everyDetail(false), nullptr);
  report.enterFolder(dir.path());
  EXPECT_FALSE(report.readsCrcOf(hidden));
  EXPECT_FALSE(report.readsCrcOf(system));
  EXPECT_TRUE(report.readsCrcOf(plain));
  ASSERT_EQ(report.read(".hidden", hidden, details), 0);
  EXPECT_EQ(details.crc32, "");
  EXPECT_EQ(details.owner, ownerText(getuid()));
  ASSERT_EQ(report.read(".hidden", plain, details), 0);
  EXPECT_EQ(details.crc32, "352441C2");
}

TEST(FileDetailReader, FoldersMissingFilesAndUnaskedDetails) {
  TempDir dir;
  dir.makeDir("sub");
  dir.writeFile("a.mp3", "not audio");
  FileDetails details;
  FileDetailReader reader(everyDetail(true), nullptr);
  reader.enterFolder(dir.path() + "/");
  // A folder is examined (its owner) but never opened for bytes.
  EXPECT_EQ(reader.read("sub", entryWith(0), details), 0);
  EXPECT_EQ(details.owner, ownerText(getuid()));
  EXPECT_EQ(details.crc32, "");
  EXPECT_EQ(reader.read("gone", entryWith(0), details), ENOENT);
  EXPECT_EQ(details.owner, "");

  reader.enterFolder(dir / "nowhere/");
  EXPECT_EQ(reader.read("a.mp3", entryWith(0), details), ENOENT);

  // Nothing asked: nothing opened, so not even a missing file fails.
  FileDetailReader idle(FileDetailChoice{}, nullptr);
  idle.enterFolder(dir / "nowhere/");
  EXPECT_EQ(idle.read("gone", entryWith(0), details), 0);
}

// The 128-byte ID3v1 record with the given title and comment fields.
std::string id3v1Record(std::string_view title, std::string_view comment) {
  std::string record = "TAG" + std::string(125, '\0');
  record.replace(3, title.size(), title);
  record.replace(97, comment.size(), comment);
  record[127] = 8;  // Jazz
  return record;
}

TEST(FileDetailReader, TagTextsAreWholeAndOneLineInEveryTagFormat) {
  TempDir dir;
  dir.writeFile("old.mp3", std::string(500, '\0') + id3v1Record("one\ntwo", "esc\x1b[31mred"));
  const std::string comment = std::string(40, 'c') + " and twenty more......";
  const std::string path = dir.writeFile("new.mp3", std::string(500, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    file.ID3v2Tag(true)->setTitle("line\none");
    file.ID3v2Tag(true)->setComment(comment);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
  }
  FileDetailChoice tagsOnly;
  tagsOnly.tags = true;
  FileDetailReader reader(tagsOnly, nullptr);
  reader.enterFolder(dir.path());
  FileDetails details;
  ASSERT_EQ(reader.read("old.mp3", entryWith(0), details), 0);
  EXPECT_EQ(details.tags.title, "one two");
  EXPECT_EQ(details.tags.comment, "esc [31mred");
  EXPECT_EQ(details.tags.genre, "Jazz");
  ASSERT_EQ(reader.read("new.mp3", entryWith(0), details), 0);
  EXPECT_EQ(details.tags.title, "line one");
  EXPECT_EQ(details.tags.comment, comment);
  EXPECT_EQ(details.tags.comment.size(), 62u);
}

}  // namespace
}  // namespace tallyfold
