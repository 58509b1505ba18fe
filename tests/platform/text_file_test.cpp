#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

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
    // The new text has no name yet: a killed run leaves nothing behind.
    EXPECT_EQ(entriesIn(dir.path()), 1u);
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

TEST(AtomicFileWriter, DevicesAndFifosAreWrittenInPlaceAndLinksFollowed) {
  TempDir dir;
  // A link to a device: the device stays what it is, and so does the link.
  const std::string toNull = dir / "out.rtf";
  ASSERT_EQ(symlink("/dev/null", toNull.c_str()), 0);
  ASSERT_TRUE(replaceFileAtomically(toNull, "report"));
  EXPECT_TRUE(std::filesystem::is_symlink(toNull));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

  // A FIFO gets the text through the pipe and stays a FIFO.
  const std::string fifo = dir / "p.txt";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = test::readFile(fifo); });
  ASSERT_TRUE(replaceFileAtomically(fifo, "through the pipe"));
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // A link to a file not there yet creates that file, in the link's folder
  // when the link is relative, and keeps the link.
  const std::string dangling = dir / "new.txt";
  ASSERT_EQ(symlink("made/later.txt", dangling.c_str()), 0);
  dir.makeDir("made");
  ASSERT_TRUE(replaceFileAtomically(dangling, "fresh"));
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_EQ(test::readFile(dir / "made/later.txt"), "fresh");
}

TEST(TextFile, PipesAreReadToTheirEndAndEndlessFilesRefused) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([&] {
    // The reader finds the pipe empty at first and must wait, not fail.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(::write(fds[1], "a\r\nb\n", 5), 5);
    close(fds[1]);
  });
  std::vector<std::string> lines;
  EXPECT_TRUE(readTextLines("/proc/self/fd/" + std::to_string(fds[0]), lines));
  writer.join();
  close(fds[0]);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));

  std::string bytes;
  EXPECT_FALSE(readWholeFile("/dev/zero", bytes, 1 << 20));
  EXPECT_EQ(errno, EFBIG);
  EXPECT_TRUE(bytes.empty());
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
