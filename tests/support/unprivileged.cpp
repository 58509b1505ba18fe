#include "support/unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

namespace tallyfold::test {

namespace {

void writeAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) _exit(3);
    done += static_cast<size_t>(n);
  }
}

}  // namespace

std::optional<std::string> runUnprivileged(const std::function<std::string()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (geteuid() == 0 &&
        (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)) {
      _exit(2);
    }
    writeAll(fds[1], work());
    _exit(0);
  }
  close(fds[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
    answer.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  const bool finished = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                        WEXITSTATUS(status) == 0;
  if (!finished) return std::nullopt;
  return answer;
}

bool holdsUnprivileged(const std::function<bool()>& check) {
  return runUnprivileged([&] { return std::string(check() ? "held" : "failed"); }) == "held";
}

}  // namespace tallyfold::test
