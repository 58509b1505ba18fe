#pragma once
// A scratch file in the temporary folder ($TMPDIR, else /tmp), removed when the
// object goes. The command-line program keeps its report document there while
// it converts it to plain text or HTML.

#include <cstdio>
#include <string>
#include <string_view>

namespace tallyfold {

class TemporaryFile {
 public:
  // prefix: the start of the file's name, such as "tallyfold-report".
  explicit TemporaryFile(std::string_view prefix);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // Writes the text followed by CR LF.
  void writeLine(std::string_view text);
  // Flushes and closes the file for writing, keeping it on disk until the
  // object goes; false when a write failed.
  bool finish();
  // The reason of the first failure, for messages.
  const std::string& error() const { return error_; }

 private:
  void fail(const char* what);

  std::string path_, error_;
  std::FILE* file_ = nullptr;
};

}  // namespace tallyfold
