// The detailed list's columns that read the files themselves (owner, CRC,
// version, tags) where the files are not plain: devices and pipes behind
// links, files that cannot be read, paths longer than the system's limit,
// owners without a name and a cancel in the middle of a long CRC.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <thread>

#include "listing_fixture.h"
#include "report/detailed_list.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace tallyfold {
namespace {

using namespace std::chrono_literals;
using test::blanks;
using test::kDefaultHeader;
using test::TempDir;
using Lines = std::vector<std::string>;

class DetailedListReadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::useUtc();
    ReportSettings& s = report.settings;
    s.size = s.date = s.fullPath = s.includeFolderTitle = s.includeSeparator = s.includeFolderSum =
        0;
    s.colSize = "12";
  }

  // Runs the report on a thread; a report that never ends fails the test
  // program as a whole, which could not end otherwise.
  const Lines& runWithin(std::chrono::seconds limit) {
    auto task = std::async(std::launch::async, [this] { report.run(); });
    if (task.wait_for(limit) != std::future_status::ready) {
      ADD_FAILURE() << "the report did not end within " << limit.count() << " s";
      std::_Exit(1);
    }
    return report.sink.lines;
  }

  // "path errno" of every unreadable file.
  std::vector<std::string> unreadable() const {
    std::vector<std::string> texts;
    for (const ReadFailure& f : report.counters.unreadable) {
      texts.push_back(f.path + " " + std::to_string(f.error));
    }
    return texts;
  }

  static std::string owner(const std::string& name) {
    return "  " + name + blanks(17 - name.size());
  }
  static std::string crc(const std::string& text) { return "  " + text + blanks(8 - text.size()); }

  TempDir dir;
  test::ReportRun report;
};

std::string myName() {
  const passwd* me = getpwuid(geteuid());
  return me == nullptr ? std::to_string(geteuid()) : me->pw_name;
}

TEST_F(DetailedListReadsTest, DevicesAndPipesGetNoCrcAndTheListEnds) {
  dir.writeFile("d/ok.txt", "123456789");
  ASSERT_EQ(symlink("/dev/zero", (dir / "d/z.dev").c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", (dir / "d/n.dev").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "d/p.fifo").c_str(), 0644), 0);
  test::addRealFolder(report.store, report.records, dir / "d/",
                      {"ok.txt", "z.dev", "n.dev", "p.fifo"}, false);
  ReportSettings& s = report.settings;
  s.owner = s.crc32 = s.title = 1;
  const std::string me = owner(myName()), noTitle = blanks(33);
  EXPECT_EQ(runWithin(20s), (Lines{kDefaultHeader, "\\b\\par d \\par\\b0", " \\par",
                                   "n.dev       " + noTitle + owner("root") + crc("") + " \\par",
                                   "ok.txt      " + noTitle + me + crc("CBF43926") + " \\par",
                                   "p.fifo      " + noTitle + me + crc("") + " \\par",
                                   "z.dev       " + noTitle + owner("root") + crc("") + " \\par",
                                   " \\par", " \\par \\par \\par }"}));
  EXPECT_TRUE(report.counters.unreadable.empty());
}

TEST_F(DetailedListReadsTest, FilesThatCannotBeReadAreNamedWithTheirReason) {
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  dir.writeFile("d/ok.txt", "123456789");
  dir.writeFile("d/locked.exe", "MZ");
  dir.writeFile("d/shut/inner.txt", "x");
  ASSERT_EQ(chmod((dir / "d").c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir / "d/ok.txt").c_str(), 0644), 0);
  ASSERT_EQ(chmod((dir / "d/locked.exe").c_str(), 0000), 0);
  test::addRealFolder(report.store, report.records, dir / "d/", {"locked.exe", "ok.txt"}, false);
  test::addRealFolder(report.store, report.records, dir / "d/shut/", {"inner.txt"}, false);
  ASSERT_EQ(chmod((dir / "d/shut").c_str(), 0000), 0);
  ReportSettings& s = report.settings;
  s.owner = s.crc32 = s.version = 1;
  const std::string noVersion = "  " + blanks(10);
  // The run and its unreadable files, as the child without root saw them.
  std::optional<std::string> seen = test::runUnprivileged([&] {
    report.run();
    std::string text;
    for (const std::string& line : report.sink.lines) text += line + "\n";
    for (const std::string& failure : unreadable()) text += "unreadable " + failure + "\n";
    return text;
  });
  // The locked file's owner is still known: looking it up needs no read.
  EXPECT_EQ(seen, kDefaultHeader +
                      "\n\\b\\par d \\par\\b0\n \\par\n"
                      "locked.exe  " +
                      noVersion + owner("root") + crc("") +
                      " \\par\n"
                      "ok.txt      " +
                      noVersion + owner("root") + crc("CBF43926") +
                      " \\par\n"
                      " \\par\n"
                      "\\b\\par shut \\par\\b0\n \\par\n"
                      "inner.txt   " +
                      noVersion + owner("") + crc("") +
                      " \\par\n"
                      " \\par\n \\par \\par \\par }\n"
                      "unreadable " +
                      dir.path() + "/d/locked.exe " + std::to_string(EACCES) +
                      "\n"
                      "unreadable " +
                      dir.path() + "/d/shut/inner.txt " + std::to_string(EACCES) + "\n");
}

// A tree too deep for one path: folders of 24 letters, 300 levels.
std::string makeDeepFolder(const TempDir& dir, int levels, int fileLevel) {
  std::string relative = "deep";
  std::string filePath;
  int at = open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  mkdirat(at, "deep", 0755);
  int next = openat(at, "deep", O_PATH | O_DIRECTORY | O_CLOEXEC);
  close(at);
  at = next;
  for (int level = 1; level <= levels; ++level) {
    std::string name(24, static_cast<char>('a' + level % 26));
    relative += "/" + name;
    mkdirat(at, name.c_str(), 0755);
    next = openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    close(at);
    at = next;
    if (level == fileLevel) {
      int file = openat(at, "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      EXPECT_EQ(write(file, "123456789", 9), 9);
      close(file);
      filePath = relative;
    }
  }
  close(at);
  return dir.path() + "/" + filePath + "/";
}

TEST_F(DetailedListReadsTest, FilesDeeperThanThePathLimitAreRead) {
  std::string folder = makeDeepFolder(dir, 300, 178);
  ASSERT_GT(folder.size(), static_cast<size_t>(PATH_MAX));
  FileEntry entry;
  entry.size = 9;
  uint32_t index = report.store.addFolder(folder);
  report.records.push_back(RecordRef{index, report.store.addFile(index, "leaf.txt", entry)});
  ReportSettings& s = report.settings;
  s.owner = s.crc32 = 1;
  const Lines& lines = report.run();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3], "leaf.txt    " + owner(myName()) + crc("CBF43926") + " \\par");
  EXPECT_TRUE(report.counters.unreadable.empty());
}

TEST_F(DetailedListReadsTest, AnOwnerWithoutANameShowsItsNumber) {
  if (geteuid() != 0) GTEST_SKIP() << "only root gives a file away";
  std::string path = dir.writeFile("d/given.txt", "x");
  ASSERT_EQ(chown(path.c_str(), 4000000123u, 4000000123u), 0);
  test::addRealFolder(report.store, report.records, dir / "d/", {"given.txt"}, false);
  report.settings.owner = 1;
  EXPECT_EQ(report.run()[3], "given.txt   " + owner("4000000123") + " \\par");
}

TEST_F(DetailedListReadsTest, ACancelDuringALongCrcEndsTheListPromptly) {
  // A sparse terabyte and a file after it.
  dir.makeSizedFile("d/a.bin", 1ull << 40);
  dir.writeFile("d/b.txt", "123456789");
  test::addRealFolder(report.store, report.records, dir / "d/", {"a.bin", "b.txt"}, false);
  report.settings.crc32 = 1;
  std::thread canceller([this] {
    std::this_thread::sleep_for(300ms);
    report.control.requestCancel();
  });
  auto start = std::chrono::steady_clock::now();
  const Lines& lines = runWithin(30s);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  // The cancelled CRC leaves its column empty; no later row is written.
  EXPECT_EQ(lines, (Lines{kDefaultHeader, "\\b\\par d \\par\\b0", " \\par",
                          "a.bin       " + crc("") + " \\par", " \\par", " \\par \\par \\par }"}));
  EXPECT_TRUE(report.counters.unreadable.empty());
}

}  // namespace
}  // namespace tallyfold
