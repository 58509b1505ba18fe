#include "platform/temp_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tallyfold {

namespace {

std::string temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  return (dir && *dir == '/') ? std::string(dir) : std::string("/tmp");
}

// An unnamed file where the file system has them; else a named one whose
// name goes at once, which leaves the same: a file only this process holds.
int openNamelessFile(const std::string& folder, std::string_view prefix) {
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string pattern = folder + "/" + std::string(prefix) + "-XXXXXX";
  fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) unlink(pattern.c_str());
  return fd;
}

}  // namespace

TemporaryFile::TemporaryFile(std::string_view prefix) {
  const std::string folder = temporaryFolder();
  const int fd = openNamelessFile(folder, prefix);
  if (fd < 0) {
    error_ = "cannot create a temporary file in " + folder + ": " + std::strerror(errno);
    return;
  }
  path_ = "/proc/self/fd/" + std::to_string(fd);
  file_ = fdopen(fd, "w+b");
  if (!file_) {
    fail("cannot open the temporary file");
    close(fd);
    return;
  }
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

TemporaryFile::~TemporaryFile() {
  if (file_) std::fclose(file_);
}

void TemporaryFile::fail(const char* what) {
  if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
}

void TemporaryFile::writeLine(std::string_view text) {
  if (!file_ || finished_ || !error_.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fwrite("\r\n", 1, 2, file_) != 2) {
    fail("cannot write the temporary file");
  }
}

bool TemporaryFile::finish() {
  if (!file_) return false;
  // The descriptor stays open: it is what keeps the nameless file, and
  // path() reaches it.
  if (!finished_ && std::fflush(file_) != 0) fail("cannot write the temporary file");
  finished_ = true;
  return error_.empty();
}

}  // namespace tallyfold
