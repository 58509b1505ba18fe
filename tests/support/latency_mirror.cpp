#include "support/latency_mirror.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace tallyfold::test {

namespace {

constexpr long kFuseMagic = 0x65735546;

std::string mirrorProgram() {
#ifdef TALLYFOLD_LATENCY_MIRROR_PATH
  return TALLYFOLD_LATENCY_MIRROR_PATH;
#else
  return {};
#endif
}

bool isFuseMount(const std::string& path) {
  struct statfs facts;
  return statfs(path.c_str(), &facts) == 0 && facts.f_type == kFuseMagic;
}

}  // namespace

LatencyMirror::LatencyMirror(const std::string& source, int delayMs)
    : mountPoint_(place_.makeDir("mount")) {
  const std::string program = mirrorProgram();
  if (program.empty()) {
    reason_ = "the latency mirror is not built here (libfuse3-dev missing)";
    return;
  }
  if (access("/dev/fuse", R_OK | W_OK) != 0) {
    reason_ = "no usable /dev/fuse here";
    return;
  }
  std::vector<std::string> args{program, source,           mountPoint_, std::to_string(delayMs),
                                "-o",    "max_threads=256"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (!waitForMount()) reason_ = "mounting a FUSE file system is refused here";
}

bool LatencyMirror::waitForMount() {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < giveUp) {
    if (isFuseMount(mountPoint_)) return true;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

LatencyMirror::~LatencyMirror() {
  unmount();
}

// Taking the mount down ends the mirror; one that does not end is killed.
void LatencyMirror::unmount() {
  if (isFuseMount(mountPoint_)) umount2(mountPoint_.c_str(), MNT_DETACH);
  if (pid_ <= 0) return;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int status;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > giveUp) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

}  // namespace tallyfold::test
