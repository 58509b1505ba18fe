#pragma once
// Bytes of unknown encoding as UTF-8. The listings are UTF-8, but rich text
// from elsewhere carries Windows-1252 (the code page the documents declare), so
// every byte that is not part of a valid UTF-8 sequence is read as
// Windows-1252 instead of being lost.

#include <string>
#include <string_view>

#include "platform/utf8_text.h"  // windows1252ToUnicode

namespace tallyfold {

// Turns a byte stream into valid UTF-8, one byte at a time, so that a
// sequence may be split across calls.
class Utf8Repair {
 public:
  // Appends to out whatever the byte completes.
  void push(unsigned char byte, std::string& out);
  // Ends the stream: an unfinished sequence is read as Windows-1252 bytes.
  void finish(std::string& out);
  bool idle() const { return pendingLength_ == 0; }

 private:
  bool continues(unsigned char byte) const;
  unsigned char pending_[4] = {};
  int pendingLength_ = 0;
  int expectedLength_ = 0;
};

std::string bytesAsUtf8(std::string_view bytes);

}  // namespace tallyfold
