#pragma once
// The tags of audio files as TagLib reads them: ID3v2 of MP3, the Vorbis
// comments of FLAC, Ogg Vorbis and Opus, the MP4 atoms of M4A and the ASF
// attributes of WMA. Only the six fields the listings show are taken.

#include <string>
#include <vector>

namespace tallyfold {

enum class AudioContainer {
  Mpeg,  // MP3: only its ID3v2 tag is read here
  Flac,
  Ogg,  // Vorbis, Opus or FLAC inside Ogg, told apart by their first page
  Mp4,
  Asf,
};

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

// Reads the tag of an open file of that container into text (cleared first).
// False when the file holds no such tag or cannot be parsed as the
// container; never throws for a damaged file.
bool readAudioTagFile(int fd, AudioContainer container, AudioTagText& text);

}  // namespace tallyfold
