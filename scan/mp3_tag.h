#pragma once
// The ID3 version 1 tag: the 128-byte record that may end an MP3 file.

#include <cstdint>
#include <string>
#include <string_view>

namespace tallyfold {

struct Mp3Tag {
  // Text fields hold their full width in characters, padded with blanks.
  std::string marker = "   ";
  std::string title = std::string(30, ' ');
  std::string artist = std::string(30, ' ');
  std::string album = std::string(30, ' ');
  std::string year = std::string(4, ' ');
  std::string comment = std::string(30, ' ');
  uint8_t genre = 0;
  std::string genreName;
};

// Reads the tag that ends the file into tag (cleared first). True when the
// file ends in a tag. Text bytes are Latin-1 unless the field is valid UTF-8.
bool readMp3Tag(const std::string& path, Mp3Tag& tag);
// The same of a file already open for reading.
bool readMp3TagOfOpenFile(int fd, Mp3Tag& tag);

// The genre table: a name for 0 to 147, empty for 148 to 255.
std::string_view genreNameOf(uint8_t genre);

}  // namespace tallyfold
