// SHA-256 of real files against sha256sum: empty, one byte, several
// megabytes, a file that may not be read, and a cancelled read.

#include "platform/sha256.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>

#include "platform/file_descriptor.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace tallyfold {
namespace {

using test::TempDir;

std::string sha256sumOf(const std::string& path) {
  test::ProcessResult result = test::runProgram("/usr/bin/sha256sum", {path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return result.out.substr(0, 64);
}

std::string randomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

std::string digestText(const Sha256Reading& reading) {
  return reading.digest ? sha256Text(*reading.digest) : "(none)";
}

TEST(Sha256, AgreesWithSha256sum) {
  TempDir dir;
  const std::string files[] = {
      dir.writeFile("empty"),
      dir.writeFile("one", "a"),
      dir.writeFile("block", randomBytes((size_t{1} << 20), 1)),
      dir.writeFile("block+1", randomBytes((size_t{1} << 20) + 1, 2)),
      dir.writeFile("multi", randomBytes(5 * (size_t{1} << 20) + 12345, 3)),
  };
  for (const std::string& path : files) {
    const std::string expected = sha256sumOf(path);
    EXPECT_EQ(digestText(fileSha256(path)), expected) << path;
    FileDescriptor folder(open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    EXPECT_EQ(digestText(sha256OfFileIn(folder.get(), path.substr(dir.path().size() + 1))),
              expected)
        << path;
  }
  EXPECT_EQ(sha256Text(sha256OfBytes("abc", 3)),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Sha256, TheSameContextServesFileAfterFile) {
  TempDir dir;
  const std::string a = dir.writeFile("a", randomBytes(300000, 4));
  const std::string b = dir.writeFile("b", "b");
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(digestText(fileSha256(a)), sha256sumOf(a));
    EXPECT_EQ(digestText(fileSha256(b)), sha256sumOf(b));
  }
}

TEST(Sha256, UnreadableFilesGiveTheirErrorAndNoDigest) {
  TempDir dir;
  const std::string path = dir.writeFile("secret", "hidden bytes");
  chmod(path.c_str(), 0600);
  if (geteuid() == 0) {
    EXPECT_TRUE(test::holdsUnprivileged([&] {
      Sha256Reading reading = fileSha256(path);
      return !reading.digest && reading.error == EACCES && !reading.cancelled;
    }));
  }
  Sha256Reading missing = fileSha256(dir / "missing");
  EXPECT_FALSE(missing.digest);
  EXPECT_EQ(missing.error, ENOENT);
}

TEST(Sha256, OnlyRegularFilesAreRead) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  // A pipe would never end: no digest, no error, and no wait.
  Sha256Reading pipe = fileSha256(dir / "pipe");
  EXPECT_FALSE(pipe.digest);
  EXPECT_EQ(pipe.error, 0);
  Sha256Reading folder = fileSha256(dir.path());
  EXPECT_FALSE(folder.digest);
  EXPECT_EQ(folder.error, 0);
}

TEST(Sha256, ACancelEndsTheReadWithoutADigest) {
  TempDir dir;
  const std::string path = dir.writeFile("big", randomBytes(3 * (size_t{1} << 20), 5));
  std::atomic<bool> cancel{true};
  Sha256Reading reading = fileSha256(path, &cancel);
  EXPECT_TRUE(reading.cancelled);
  EXPECT_FALSE(reading.digest);
}

}  // namespace
}  // namespace tallyfold
