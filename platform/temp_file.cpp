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

}  // namespace

TemporaryFile::TemporaryFile(std::string_view prefix) {
  std::string pattern = temporaryFolder() + "/" + std::string(prefix) + "-XXXXXX";
  int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error_ = "cannot create a temporary file in " + temporaryFolder() + ": " + std::strerror(errno);
    return;
  }
  path_ = pattern;
  file_ = fdopen(fd, "wb");
  if (!file_) {
    fail("cannot open the temporary file");
    close(fd);
    return;
  }
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

TemporaryFile::~TemporaryFile() {
  if (file_) std::fclose(file_);
  if (!path_.empty()) unlink(path_.c_str());
}

void TemporaryFile::fail(const char* what) {
  if (error_.empty()) error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
}

void TemporaryFile::writeLine(std::string_view text) {
  if (!file_ || !error_.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fwrite("\r\n", 1, 2, file_) != 2) {
    fail("cannot write");
  }
}

bool TemporaryFile::finish() {
  if (!file_) return false;
  if (std::fclose(file_) != 0) fail("cannot write");
  file_ = nullptr;
  return error_.empty();
}

}  // namespace tallyfold
