// Reading files that are not plain: devices and pipes behind links, reads that
// are cancelled or fail half way, paths longer than the system's limit and
// owners without a name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <thread>

#include "platform/crc32.h"
#include "platform/file_descriptor.h"
#include "platform/file_facts.h"
#include "platform/pe_version.h"
#include "platform/user_names.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

// Runs work on a thread; fails the test (and leaves the thread behind) when it
// does not end within the limit.
template <typename Work>
auto endsWithin(std::chrono::seconds limit, Work work) {
  auto task = std::async(std::launch::async, work);
  if (task.wait_for(limit) != std::future_status::ready) {
    ADD_FAILURE() << "did not end within " << limit.count() << " s";
    std::_Exit(1);  // the endless read would keep the test program alive
  }
  return task.get();
}

TEST(CrcOfNonRegularFiles, DevicesAndPipesAreNotReadAndGiveNoCrc) {
  TempDir dir;
  ASSERT_EQ(symlink("/dev/zero", (dir / "zero").c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", (dir / "null").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  for (const char* name : {"zero", "null", "pipe"}) {
    EXPECT_EQ(endsWithin(10s, [&] { return fileCrc32(dir / name); }), std::nullopt) << name;
  }
  // The same through an open descriptor: nothing read, nothing failed.
  FileDescriptor zero(open("/dev/zero", O_RDONLY | O_CLOEXEC));
  CrcReading reading = endsWithin(10s, [&] { return crc32OfOpenFile(zero.get()); });
  EXPECT_EQ(reading.crc, std::nullopt);
  EXPECT_EQ(reading.error, 0);
  EXPECT_FALSE(reading.cancelled);
}

TEST(CrcOfNonRegularFiles, AReadThatFailsGivesItsError) {
  // The process's own memory is a regular file whose first page cannot be
  // read.
  FileDescriptor memory(open("/proc/self/mem", O_RDONLY | O_CLOEXEC));
  ASSERT_GE(memory.get(), 0);
  CrcReading reading = crc32OfOpenFile(memory.get());
  EXPECT_EQ(reading.crc, std::nullopt);
  EXPECT_EQ(reading.error, EIO);
}

TEST(CrcCancel, ASetFlagEndsTheReadOfSmallAndSplitFiles) {
  TempDir dir;
  std::atomic<bool> cancel{true};
  EXPECT_EQ(fileCrc32(dir.writeFile("small.txt", "123456789"), &cancel), std::nullopt);
  EXPECT_EQ(fileCrc32(dir.makeSizedFile("split.bin", 64ull << 20), &cancel), std::nullopt);
  FileDescriptor small(open((dir / "small.txt").c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_TRUE(crc32OfOpenFile(small.get(), &cancel).cancelled);
  cancel = false;
  EXPECT_EQ(fileCrc32(dir / "small.txt", &cancel), 0xCBF43926u);
}

TEST(CrcCancel, ACancelDuringALongReadEndsItPromptly) {
  TempDir dir;
  // A sparse terabyte: hours of reading, on both threads of the split.
  std::string huge = dir.makeSizedFile("huge.bin", 1ull << 40);
  FileDescriptor file(open(huge.c_str(), O_RDONLY | O_CLOEXEC));
  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    std::this_thread::sleep_for(200ms);
    cancel = true;
  });
  auto start = std::chrono::steady_clock::now();
  CrcReading reading = endsWithin(20s, [&] { return crc32OfOpenFile(file.get(), &cancel); });
  canceller.join();
  EXPECT_TRUE(reading.cancelled);
  EXPECT_EQ(reading.crc, std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

// A tree deeper than PATH_MAX allows in one path: 300 folders of 20 letters.
std::string makeDeepTree(const TempDir& dir, int levels) {
  std::string relative = "deep";
  for (int level = 0; level < levels; ++level) {
    relative += "/" + std::string(20, static_cast<char>('a' + level % 26));
  }
  std::string path = dir.path();
  // mkdir by whole path fails beyond the limit; go down relative to each one.
  FileDescriptor top(open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  int at = dup(top.get());
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    std::string name = relative.substr(start, end - start);
    mkdirat(at, name.c_str(), 0755);
    int next = openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    close(at);
    at = next;
    start = end + 1;
  }
  int file = openat(at, "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  EXPECT_EQ(write(file, "123456789", 9), 9);
  close(file);
  close(at);
  return path + "/" + relative;
}

TEST(FolderHandle, OpensFoldersWhosePathIsLongerThanTheLimit) {
  TempDir dir;
  std::string deep = makeDeepTree(dir, 300);
  ASSERT_GT(deep.size(), static_cast<size_t>(PATH_MAX));
  FolderHandle folder;
  ASSERT_EQ(folder.open(deep), 0);
  FileFacts facts;
  ASSERT_EQ(examineIn(folder.fd(), "leaf.txt", facts), 0);
  EXPECT_TRUE(facts.isRegular);
  EXPECT_EQ(facts.size, 9u);
  FileDescriptor leaf(openForReadingIn(folder.fd(), "leaf.txt", facts));
  ASSERT_GE(leaf.get(), 0);
  EXPECT_EQ(crc32OfOpenFile(leaf.get()).crc, 0xCBF43926u);
  // Doubled separators and a trailing one change nothing.
  std::string doubled = deep;
  doubled.insert(dir.path().size(), "/");
  ASSERT_EQ(folder.open(doubled + "/"), 0);
  EXPECT_EQ(examineIn(folder.fd(), "leaf.txt", facts), 0);

  EXPECT_EQ(folder.open(deep + "/missing"), ENOENT);
  EXPECT_EQ(folder.open(dir / "deep/" + std::string(300, 'n')), ENAMETOOLONG);
  EXPECT_EQ(folder.open(dir / "missing"), ENOENT);
  EXPECT_EQ(examineIn(-1, "x", facts), EBADF);
  EXPECT_EQ(openForReadingIn(-1, "x", facts), -EBADF);
}

TEST(FileOwner, AnOwnerWithoutANameShowsItsNumber) {
  EXPECT_EQ(ownerText(4000000123u), "4000000123");
  EXPECT_EQ(ownerText(0), "root");
  TempDir dir;
  std::string path = dir.writeFile("owned.txt", "x");
  if (geteuid() != 0) GTEST_SKIP() << "only root gives a file away";
  ASSERT_EQ(chown(path.c_str(), 4000000123u, 4000000123u), 0);
  EXPECT_EQ(fileOwnerName(path), "4000000123");
}

TEST(PeVersion, AnOpenDescriptorIsReadLikeItsPath) {
  TempDir dir;
  FileDescriptor text(open(dir.writeFile("text.exe", "MZ").c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_EQ(readPeFileVersion(text.get()), std::nullopt);
  FileDescriptor zero(open("/dev/zero", O_RDONLY | O_CLOEXEC));
  EXPECT_EQ(readPeFileVersion(zero.get()), std::nullopt);
  EXPECT_EQ(readPeFileVersion(-1), std::nullopt);
}

}  // namespace
}  // namespace tallyfold
