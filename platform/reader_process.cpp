#include "platform/reader_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/reader_socket.h"

extern char** environ;

namespace tallyfold {

namespace {

// The descriptor number the reader finds its socket at.
constexpr int kReaderSocketFd = 3;
// A reader is replaced after this many files, so that its CPU limit, which
// counts its whole life, is reached only by a file that overruns: a thousand
// files of 30 ms each would be a slow collection indeed. Starting a reader
// (loading its libraries) costs more than reading a photo's metadata, so the
// count is large and the CPU limit large with it.
constexpr size_t kFilesPerReader = 10000;

std::string besideRunningProgram(const char* name) {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return name;
  std::string path(self, static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return path.substr(0, slash + 1) + name;
}

std::string signalWhy(int status) {
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    const char* name = ::sigdescr_np(sig);
    return std::string("the tag reader ended by signal ") + std::to_string(sig) + " (" +
           (name != nullptr ? name : "unknown") + ")";
  }
  if (WIFEXITED(status)) {
    return "the tag reader ended with status " + std::to_string(WEXITSTATUS(status));
  }
  return "the tag reader ended";
}

std::string requestOf(const ReaderFile* files, size_t count) {
  if (files[0].question == ReaderQuestion::Media) {
    std::vector<MediaFormat> formats;
    for (size_t i = 0; i < count; ++i) formats.push_back(files[i].format);
    return encodeMediaRequest(formats);
  }
  std::vector<AudioContainer> containers;
  for (size_t i = 0; i < count; ++i) containers.push_back(files[i].container);
  return encodeTagRequest(containers);
}

// Fills the outcome from an answer to the question; false for nonsense.
bool takeAnswer(ReaderQuestion question, std::string_view bytes, ReaderOutcome& outcome) {
  outcome = ReaderOutcome{};
  if (question == ReaderQuestion::Media) {
    std::optional<MediaAnswer> answer = parseMediaAnswer(bytes);
    if (!answer) return false;
    outcome.media = std::move(*answer);
    return true;
  }
  std::optional<TagAnswer> answer = parseTagAnswer(bytes);
  if (!answer) return false;
  outcome.answer = std::move(*answer);
  return true;
}

}  // namespace

std::string readerProgramPath() {
  if (const char* path = std::getenv("TALLYFOLD_READER"); path != nullptr && *path != '\0') {
    return path;
  }
  return besideRunningProgram("tallyfold-reader");
}

ReaderProcess::ReaderProcess(std::string program, int timeoutMsPerFile)
    : program_(std::move(program)), timeoutMs_(timeoutMsPerFile) {}

ReaderProcess::~ReaderProcess() {
  end();
}

bool ReaderProcess::start(std::string& why) {
  int ends[2];
  if (!makeMessageSocketPair(ends)) {
    why = std::string("no socket for the tag reader: ") + std::strerror(errno);
    return false;
  }
  // The reader's end is moved to its fixed number by the spawn; it must not
  // already sit there, where dup2 would leave it closing on exec.
  const int childEnd = ::fcntl(ends[1], F_DUPFD_CLOEXEC, kReaderSocketFd + 1);
  ::close(ends[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, childEnd, kReaderSocketFd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The reader starts with no signal blocked and default actions, whatever
  // the calling thread has set.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  char* argv[] = {const_cast<char*>(program_.c_str()), nullptr};
  pid_t pid = -1;
  const int error = childEnd < 0
                        ? errno
                        : posix_spawn(&pid, program_.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (childEnd >= 0) ::close(childEnd);
  if (error != 0) {
    ::close(ends[0]);
    why = "cannot start the tag reader " + program_ + ": " + std::strerror(error);
    return false;
  }
  pid_ = pid;
  socket_ = ends[0];
  filesRead_ = 0;
  return true;
}

void ReaderProcess::end() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (socket_ >= 0) ::close(socket_);
  pid_ = -1;
  socket_ = -1;
}

// After the reader's socket closed: reaps it and says how it ended.
std::string ReaderProcess::endedWhy() {
  int status = 0;
  pid_t reaped;
  do {
    reaped = ::waitpid(pid_, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  pid_ = -1;
  end();
  return reaped > 0 ? signalWhy(status) : "the tag reader ended";
}

size_t ReaderProcess::read(const ReaderFile* files, size_t count, ReaderOutcome* outcomes,
                           const std::atomic<bool>* stop) {
  if (count > kMaxFilesPerRequest) count = kMaxFilesPerRequest;
  if (running() && filesRead_ >= kFilesPerReader) end();
  if (stop != nullptr && stop->load()) {
    for (size_t i = 0; i < count; ++i) outcomes[i] = {ReaderFailure::Stopped, {}, {}, "stopped"};
    return count;
  }
  if (!running()) {
    std::string why;
    if (!start(why)) {
      for (size_t i = 0; i < count; ++i) outcomes[i] = {ReaderFailure::Unavailable, {}, {}, why};
      return count;
    }
  }
  const ReaderQuestion question = files[0].question;
  size_t asked = 0;
  while (asked < count && files[asked].question == question) ++asked;
  count = asked;
  std::vector<int> descriptors;
  for (size_t i = 0; i < count; ++i) descriptors.push_back(files[i].fd);
  if (!sendMessage(socket_, requestOf(files, count), descriptors)) {
    outcomes[0] = {ReaderFailure::Ended, {}, {}, endedWhy()};
    return 1;
  }
  for (size_t i = 0; i < count; ++i) {
    ReceivedMessage message = receiveMessage(socket_, kMaxAnswerBytes, 0, timeoutMs_, stop);
    ++filesRead_;
    ReaderOutcome& outcome = outcomes[i];
    switch (message.result) {
      case ReceiveResult::Message:
        if (takeAnswer(question, message.bytes, outcome)) continue;
        outcome = {ReaderFailure::Nonsense, {}, {}, "the tag reader answered nonsense"};
        break;
      case ReceiveResult::Closed:
        outcome = {ReaderFailure::Ended, {}, {}, endedWhy()};
        return i + 1;
      case ReceiveResult::TimedOut:
        outcome = {ReaderFailure::TimedOut,
                   {},
                   {},
                   "the tag reader took longer than " + std::to_string(timeoutMs_) + " ms"};
        break;
      case ReceiveResult::Cancelled:
        outcome = {ReaderFailure::Stopped, {}, {}, "stopped"};
        break;
      case ReceiveResult::Failed:
        outcome = {ReaderFailure::Nonsense, {}, {}, "the tag reader answered nonsense"};
        break;
    }
    end();
    return i + 1;
  }
  return count;
}

}  // namespace tallyfold
