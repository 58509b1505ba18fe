#pragma once
// The tag fields of an audio file: the file's extension names its format; MP3
// gives its ID3v2 tag, else its ID3v1 tag; FLAC, Ogg Vorbis and Opus their
// Vorbis comments; M4A its MP4 atoms; WMA its ASF attributes. Files whose
// extension names no audio format are not opened.

#include <string>
#include <string_view>

namespace tallyfold {

// The six tag fields as whole UTF-8 texts, however long: the machine listings
// carry them as they are, the detailed list cuts them to its column widths.
// Line breaks and other control characters show as blanks, whichever tag
// format held them, as every listing row is one line.
struct AudioTags {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string genre;  // the genre's name, a number named by the ID3v1 genre table
  std::string comment;
};

// Whether the name ends in the extension of an audio format whose tags are
// read (case ignored): .mp3 .mp2 .flac .ogg .oga .opus .m4a .m4b .mp4 .wma
// .asf.
bool isAudioFileName(std::string_view name);

// Fills tags (cleared first) from the open file fd named name, all six fields
// in one read. True when a tag was found. A file that cannot be read or parsed
// gives empty fields.
bool readAudioTags(int fd, std::string_view name, AudioTags& tags);

}  // namespace tallyfold
