// The confinement of a tag reader, applied in a child process of the test:
// what reading needs still works, and opening, writing or starting anything
// ends the child with SIGSYS.

#include "platform/reader_sandbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "platform/sanitized_build.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

// Runs act in a confined child (socket at sock); its wait status.
int statusOfConfined(const std::function<int()>& act) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    std::string why;
    if (!confineReader(ends[1], why)) _exit(100);
    _exit(act());
  }
  close(ends[0]);
  close(ends[1]);
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

bool killedByBadCall(int status) {
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS;
}

TEST(ReaderSandboxTest, ReadingWorksAndAnythingElseKills) {
  test::TempDir dir;
  const std::string path = dir.writeFile("song.mp3", "ID3 bytes");
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);

  // Reading an open descriptor, seeking, asking its size, memory.
  int status = statusOfConfined([fd] {
    char bytes[4];
    if (pread(fd, bytes, 3, 0) != 3 || lseek(fd, 0, SEEK_END) != 9) return 1;
    struct stat facts {};
    if (fstat(fd, &facts) != 0) return 2;
    void* block = std::malloc(64 << 20);
    std::free(block);
    return 0;
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  // Opening any file, even for reading.
  EXPECT_TRUE(killedByBadCall(
      statusOfConfined([&path] { return open(path.c_str(), O_RDONLY) >= 0 ? 0 : 1; })));
  // Writing anywhere but its socket and standard error: here a descriptor
  // open for writing that it was given.
  const int writable = open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(writable, 0);
  // (A sanitized build lets its runtime write into pipes, so writes pass there.)
  if (!kSanitizedBuild) {
    EXPECT_TRUE(killedByBadCall(
        statusOfConfined([writable] { return write(writable, "x", 1) == 1 ? 0 : 1; })));
  }
  close(writable);
  // Starting a process.
  EXPECT_TRUE(killedByBadCall(statusOfConfined([] { return fork() >= 0 ? 0 : 1; })));
  close(fd);
}

TEST(ReaderSandboxTest, MemoryIsCapped) {
  if (kSanitizedBuild) GTEST_SKIP() << "a sanitized build keeps no memory limit";
  // The whole address space in one block can never be had; the pointer is
  // handed to an empty asm so that the allocation cannot be left out.
  const int status = statusOfConfined([] {
    void* block = std::malloc(kReaderAddressSpaceBytes);
    asm volatile("" : : "r"(block) : "memory");
    const bool refused = block == nullptr;
    std::free(block);
    return refused ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace tallyfold
