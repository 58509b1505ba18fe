#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using Lines = std::vector<std::string>;
using test::TempDir;

Lines linesOf(const TempDir& dir, std::string_view bytes) {
  Lines lines{"stale"};
  EXPECT_TRUE(readTextLines(dir.writeFile("lines.txt", bytes), lines));
  return lines;
}

size_t entriesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

mode_t permissionsOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(TextFile, ReadsLinesEndedByCrLfLfOrCr) {
  TempDir dir;
  EXPECT_EQ(linesOf(dir, "a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(linesOf(dir, "a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(linesOf(dir, "\r\r\n\n"), (Lines{"", "", ""}));
  EXPECT_EQ(linesOf(dir, "last\r"), (Lines{"last"}));
  EXPECT_EQ(linesOf(dir, ""), Lines{});
  EXPECT_EQ(linesOf(dir, std::string("nul\0inside\n", 11)),
            (Lines{std::string("nul\0inside", 10)}));

  Lines lines{"stale"};
  EXPECT_FALSE(readTextLines(dir / "missing.txt", lines));
  EXPECT_TRUE(lines.empty());
  std::string bytes;
  EXPECT_FALSE(readWholeFile(dir.path(), bytes));  // a folder is no file
}

TEST(TextFile, ReplacesAFileKeepingItsPermissions) {
  TempDir dir;
  const std::string path = dir.writeFile("default.dif", "old");
  chmod(path.c_str(), 0600);
  const std::string bytes("binary\0\r\n\xFF", 10);
  ASSERT_TRUE(replaceFileAtomically(path, bytes));
  std::string read;
  ASSERT_TRUE(readWholeFile(path, read));
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(permissionsOf(path), 0600u);
  EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TextFile, ReplacesAFileWhoseNameIsAsLongAsNamesGo) {
  TempDir dir;
  const std::string path = dir.writeFile(std::string(251, 'n') + ".rtf", "old");
  ASSERT_TRUE(replaceFileAtomically(path, "new"));
  EXPECT_EQ(test::readFile(path), "new");
  EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TextFile, NewFilesGetTheUsualPermissionsLessTheUmask) {
  TempDir dir;
  const mode_t previous = umask(027);
  const bool written = replaceFileAtomically(dir / "new.txt", "text");
  umask(previous);
  ASSERT_TRUE(written);
  EXPECT_EQ(permissionsOf(dir / "new.txt"), 0640u);
}

TEST(TextFile, WritingThroughASymbolicLinkKeepsTheLink) {
  TempDir dir;
  const std::string real = dir.writeFile("real/exclusion.lst", "old");
  const std::string link = dir / "link.lst";
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(replaceFileAtomically(link, "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::readFile(real), "new");
}

TEST(AtomicFileWriter, CommitPutsTheLinesInPlaceAndAbandoningKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.writeFile("tmpfile.dmp", "earlier report");
  {
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.isOpen());
    writer.writeLine("{\\rtf1");
    writer.write("partial");
    EXPECT_EQ(test::readFile(path), "earlier report");  // not yet in place
    EXPECT_EQ(entriesIn(dir.path()), 2u);
  }
  EXPECT_EQ(test::readFile(path), "earlier report");
  EXPECT_EQ(entriesIn(dir.path()), 1u);

  AtomicFileWriter writer(path);
  writer.writeLine("{\\rtf1");
  writer.writeLine("}");
  ASSERT_TRUE(writer.commit());
  EXPECT_TRUE(writer.error().empty());
  EXPECT_EQ(test::readFile(path), "{\\rtf1\r\n}\r\n");
  EXPECT_EQ(entriesIn(dir.path()), 1u);
  EXPECT_FALSE(writer.commit());  // only once
}

TEST(AtomicFileWriter, ReportsAFolderItCannotWriteIn) {
  TempDir dir;
  AtomicFileWriter writer(dir / "missing/report.rtf");
  EXPECT_FALSE(writer.isOpen());
  writer.writeLine("ignored");
  EXPECT_FALSE(writer.commit());
  EXPECT_NE(writer.error().find(dir / "missing"), std::string::npos) << writer.error();

  // A folder standing where the file should go cannot be replaced, and the
  // temporary file does not stay behind.
  dir.makeDir("taken");
  AtomicFileWriter blocked(dir / "taken");
  blocked.write("text");
  EXPECT_FALSE(blocked.commit());
  EXPECT_FALSE(blocked.error().empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
  EXPECT_EQ(entriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace tallyfold
