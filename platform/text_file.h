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

// Files the program reads whole are its own small texts; a bound keeps a
// device such as /dev/zero from filling the memory.
inline constexpr size_t kMostTextFileBytes = size_t{1} << 30;

// Reads the lines of a text file (line ends removed). An empty last line after
// the final line end is not returned. False, with errno set, when the file
// cannot be read (EFBIG: longer than mostBytes).
bool readTextLines(const std::string& path, std::vector<std::string>& lines,
                   size_t mostBytes = kMostTextFileBytes);

// Reads a whole file as bytes: a regular file, a pipe or a FIFO, to its end.
// False, with errno set, when it cannot be read (EFBIG: longer than mostBytes).
bool readWholeFile(const std::string& path, std::string& bytes,
                   size_t mostBytes = kMostTextFileBytes);

// Replaces path by the given bytes atomically.
bool replaceFileAtomically(const std::string& path, std::string_view bytes);

// Streams a large file to a file without a name (or, where the file system
// has none such, a hidden temporary one) beside the target and puts it in
// place on commit(). Destroying an uncommitted writer, or killing the process,
// leaves any earlier file untouched and nothing behind. A link is followed to
// its target, which is replaced in its own folder; a target that is a device
// or a FIFO is written in place.
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
  void openInPlace();
  void nameUnnamedFile(int fd);
  void removeTemporaryName();
  void fail(const std::string& what);

  std::string path_, tempPath_, error_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool unnamed_ = false;  // O_TMPFILE: named only on commit
  bool inPlace_ = false;  // a device or FIFO, written as it is
};

}  // namespace tallyfold
