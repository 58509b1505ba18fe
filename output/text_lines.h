#pragma once
// Reads a text file line by line without holding more than one line: the
// report file of a large tree is far bigger than what is worth loading whole.
// Lines may end in CR LF, LF or CR; an empty last line after the final line
// end is not returned.

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tallyfold {

class TextLineReader {
 public:
  explicit TextLineReader(std::istream& in);
  // The next line without its line end; false at the end of the file.
  bool next(std::string& line);

 private:
  bool refill();
  std::istream& in_;
  std::string buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool lineFeedEndsPrevious_ = false;  // the last line ended in CR
};

// The number of lines next() would return.
uint64_t countTextLines(std::istream& in);

}  // namespace tallyfold
