#pragma once
// Text files: UTF-8, written with CR LF line ends, read with CR LF, LF or CR.
// Every file the program writes is replaced atomically: the text goes to a
// temporary file beside the target, which is renamed over it only when all of
// it was written, so a failed write never loses the earlier file.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// Reads the lines of a text file (line ends removed). An empty last line after
// the final line end is not returned. False when the file cannot be read.
bool readTextLines(const std::string& path, std::vector<std::string>& lines);

// Reads a whole file as bytes. False when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

// Replaces path by the given bytes atomically.
bool replaceFileAtomically(const std::string& path, std::string_view bytes);

// Streams a large file to a temporary file and puts it in place on commit().
// Destroying an uncommitted writer removes the temporary file and leaves any
// earlier file untouched.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  void write(std::string_view bytes);
  // Writes the text followed by CR LF.
  void writeLine(std::string_view text);
  // Flushes, syncs and renames into place. False (and nothing replaced) when
  // any write failed.
  bool commit();
  // The reason of the first failure, for messages.
  const std::string& error() const { return error_; }

 private:
  std::string path_, tempPath_, error_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace tallyfold
