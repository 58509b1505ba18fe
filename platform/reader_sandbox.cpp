#include "platform/reader_sandbox.h"

#include "platform/sanitized_build.h"

#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace tallyfold {

namespace {

bool setLimit(int resource, rlim_t soft, rlim_t hard, std::string& why, const char* what) {
  const rlimit limit{soft, hard};
  if (::setrlimit(resource, &limit) == 0) return true;
  why = std::string("cannot limit ") + what + ": " + std::strerror(errno);
  return false;
}

bool setLimits(std::string& why) {
  // The address sanitizer reserves terabytes of shadow memory; a sanitized
  // build keeps the other limits only.
  if (!kSanitizedBuild &&
      !setLimit(RLIMIT_AS, kReaderAddressSpaceBytes, kReaderAddressSpaceBytes, why, "memory")) {
    return false;
  }
  return setLimit(RLIMIT_CPU, kReaderCpuSeconds, kReaderCpuSeconds + 1, why, "CPU time") &&
         setLimit(RLIMIT_FSIZE, 0, 0, why, "file size") &&
         setLimit(RLIMIT_CORE, 0, 0, why, "core dumps") &&
         // The descriptors of one request and a few of the reader's own.
         setLimit(RLIMIT_NOFILE, 64, 64, why, "open files");
}

bool allow(scmp_filter_ctx filter, std::initializer_list<int> calls) {
  for (int call : calls) {
    if (seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) != 0) return false;
  }
  return true;
}

bool allowWritesTo(scmp_filter_ctx filter, int fd) {
  return seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(write), 1,
                          SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(fd))) == 0;
}

// Writes go to its socket and standard error only. A sanitized build's
// runtime also probes memory by writing it into a pipe of its own, so there
// writes and pipes are allowed.
bool allowWrites(scmp_filter_ctx filter, int socketFd) {
  if (kSanitizedBuild) return allow(filter, {SCMP_SYS(write), SCMP_SYS(pipe2)});
  return allowWritesTo(filter, socketFd) && allowWritesTo(filter, 2);
}

bool loadFilter(int socketFd, std::string& why) {
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
  if (filter == nullptr) {
    why = "cannot make a system call filter";
    return false;
  }
  const bool built = allow(filter,
                           {
                               // Reading the descriptors it is given.
                               SCMP_SYS(read),
                               SCMP_SYS(pread64),
                               SCMP_SYS(readv),
                               SCMP_SYS(preadv),
                               SCMP_SYS(lseek),
                               SCMP_SYS(fstat),
                               SCMP_SYS(newfstatat),
                               SCMP_SYS(statx),
                               SCMP_SYS(close),
                               // Its socket.
                               SCMP_SYS(recvmsg),
                               SCMP_SYS(poll),
                               SCMP_SYS(ppoll),
                               SCMP_SYS(sendmsg),
                               SCMP_SYS(sendto),
                               // The allocator.
                               SCMP_SYS(brk),
                               SCMP_SYS(mmap),
                               SCMP_SYS(munmap),
                               SCMP_SYS(mremap),
                               SCMP_SYS(madvise),
                               SCMP_SYS(mprotect),
                               // Threads' waits, time, and ending (abort included).
                               SCMP_SYS(futex),
                               SCMP_SYS(sched_yield),
                               SCMP_SYS(nanosleep),
                               SCMP_SYS(clock_nanosleep),
                               SCMP_SYS(clock_gettime),
                               SCMP_SYS(getrandom),
                               SCMP_SYS(rt_sigprocmask),
                               SCMP_SYS(sigaltstack),
                               SCMP_SYS(rt_sigreturn),
                               // Each file's CPU timer.
                               SCMP_SYS(setitimer),
                               SCMP_SYS(getpid),
                               SCMP_SYS(gettid),
                               SCMP_SYS(tgkill),
                               SCMP_SYS(exit),
                               SCMP_SYS(exit_group),
                           }) &&
                     allowWrites(filter, socketFd);
  const int loaded = built ? seccomp_load(filter) : -1;
  seccomp_release(filter);
  if (loaded != 0) {
    why = "cannot load the system call filter";
    return false;
  }
  return true;
}

}  // namespace

void armFileTimer() {
  itimerval timer{};
  timer.it_value.tv_sec = kReaderMsPerFile / 1000;
  timer.it_value.tv_usec = (kReaderMsPerFile % 1000) * 1000;
  ::setitimer(ITIMER_VIRTUAL, &timer, nullptr);
}

void disarmFileTimer() {
  const itimerval off{};
  ::setitimer(ITIMER_VIRTUAL, &off, nullptr);
}

bool confineReader(int socketFd, std::string& why) {
  // Whatever the program left open without close-on-exec is closed: the
  // reader holds its socket and standard streams only.
  ::syscall(SYS_close_range, static_cast<unsigned>(socketFd) + 1, ~0U, 0U);
  // No privileges can be gained by anything it might still run.
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    why = std::string("cannot drop privileges: ") + std::strerror(errno);
    return false;
  }
  return setLimits(why) && loadFilter(socketFd, why);
}

}  // namespace tallyfold
