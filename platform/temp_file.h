#pragma once
// A scratch file in the temporary folder ($TMPDIR, else /tmp) that never has a
// name there: it is gone when the object goes or the process ends, however it
// ends. The command-line program keeps its report document in one while it
// converts it to plain text or HTML; readers open it by path().

#include <cstdio>
#include <string>
#include <string_view>

namespace tallyfold {

class TemporaryFile {
 public:
  // prefix: the start of the file's name while it is being created, on file
  // systems without unnamed files.
  explicit TemporaryFile(std::string_view prefix);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  // A path that opens the file for reading ("/proc/self/fd/N").
  const std::string& path() const { return path_; }
  // Writes the text followed by CR LF.
  void writeLine(std::string_view text);
  // Flushes the written text; the file stays readable by path() until the
  // object goes. False when a write failed.
  bool finish();
  // The reason of the first failure, for messages.
  const std::string& error() const { return error_; }

 private:
  void fail(const char* what);

  std::string path_, error_;
  std::FILE* file_ = nullptr;
  bool finished_ = false;
};

}  // namespace tallyfold
