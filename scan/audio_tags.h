#pragma once
// The tag fields of an audio file: the file's extension names its format; MP3
// gives its ID3v2 tag, else its ID3v1 tag; FLAC, Ogg Vorbis and Opus their
// Vorbis comments; M4A its MP4 atoms; WMA its ASF attributes. Files whose
// extension names no audio format are not opened.
//
// TagLib parses the tags in a separate reader process (scan/tag_reader_pool.h),
// which is handed the open descriptor: a file that crashes it or overruns its
// memory or time costs its own fields only, named on standard error. The
// ID3v1 tag at the end of an MP3 file is read here.

#include <cstddef>
#include <string>
#include <string_view>

#include "scan/run_control.h"

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

// One file of a batch: its open descriptor (or -1), its name, and its path
// for the line on standard error when its tag could not be read.
struct AudioTagFile {
  int fd = -1;
  std::string_view name;
  std::string_view path;
};

// readAudioTags for count files at once, as few requests to the readers as
// they allow; tags[i] for files[i]. stop, when set, ends the reads at once
// and leaves the fields of the files not read empty. From any thread.
void readAudioTagsOf(const AudioTagFile* files, size_t count, AudioTags* tags,
                     const CancelFlag* stop);

}  // namespace tallyfold
