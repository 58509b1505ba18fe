#include "output/text_lines.h"

#include <istream>

namespace tallyfold {

namespace {
constexpr size_t kChunkSize = 64 * 1024;
}

TextLineReader::TextLineReader(std::istream& in) : in_(in), buffer_(kChunkSize, '\0') {}

bool TextLineReader::refill() {
  if (!in_) return false;
  in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  std::streamsize count = in_.gcount();
  if (count <= 0) return false;
  pos_ = 0;
  end_ = static_cast<size_t>(count);
  return true;
}

bool TextLineReader::next(std::string& line) {
  line.clear();
  bool sawAnything = false;
  for (;;) {
    if (pos_ == end_ && !refill()) return sawAnything;
    if (lineFeedEndsPrevious_) {
      lineFeedEndsPrevious_ = false;
      if (buffer_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    sawAnything = true;
    size_t stop = pos_;
    while (stop < end_ && buffer_[stop] != '\n' && buffer_[stop] != '\r') ++stop;
    line.append(buffer_, pos_, stop - pos_);
    pos_ = stop;
    if (stop < end_) {
      lineFeedEndsPrevious_ = buffer_[stop] == '\r';
      ++pos_;
      return true;
    }
  }
}

uint64_t countTextLines(std::istream& in) {
  TextLineReader reader(in);
  std::string line;
  uint64_t count = 0;
  while (reader.next(line)) ++count;
  return count;
}

}  // namespace tallyfold
