#pragma once
// The tag fields of an audio file as the tag reader process answers them:
// only the six fields the listings show are taken.

#include <string>
#include <vector>

namespace tallyfold {

enum class AudioContainer : unsigned char {
  Mpeg,  // MP3: only its ID3v2 tag is read by the reader process
  Flac,
  Ogg,  // Vorbis, Opus or FLAC inside Ogg, told apart by their first page
  Mp4,
  Asf,
};
inline constexpr unsigned kAudioContainerCount = 5;

// The fields as UTF-8 text, as the tag holds them (no padding or cutting).
struct AudioTagText {
  std::string title;
  std::string artist;
  std::string album;
  std::string comment;
  unsigned year = 0;  // 0: none
  // The genre entries in tag order. An ID3v2 genre given by its number keeps
  // that number as text ("17"), so the caller names it with its own table.
  std::vector<std::string> genres;
};

}  // namespace tallyfold
