#pragma once
// The tag fields of an audio file in the shape of the tag columns: the file's
// extension names its format; MP3 gives its ID3v2 tag, else its ID3v1 tag;
// FLAC, Ogg Vorbis and Opus their Vorbis comments; M4A its MP4 atoms; WMA its
// ASF attributes. Files whose extension names no audio format are not opened.
//
// TagLib parses the tags in a separate reader process (scan/tag_reader_pool.h),
// which is handed the open descriptor: a file that crashes it or overruns its
// memory or time costs its own fields only, named on standard error. The
// ID3v1 tag at the end of an MP3 file is read here.

#include <cstddef>
#include <string_view>

#include "scan/mp3_tag.h"
#include "scan/run_control.h"

namespace tallyfold {

// Whether the name ends in the extension of an audio format whose tags are
// read (case ignored): .mp3 .mp2 .flac .ogg .oga .opus .m4a .m4b .mp4 .wma
// .asf.
bool isAudioFileName(std::string_view name);

// Fills tag (cleared first) from the open file fd named name. True when a tag
// was found. The text fields keep the widths of the ID3v1 fields (title,
// artist, album and comment 30 characters, year 4), longer texts cut and
// line breaks and other control characters shown as blanks; the genre is its
// name, a number in an ID3v2 tag named by the ID3v1 genre table. A file that
// cannot be read or parsed gives blank fields.
bool readAudioTag(int fd, std::string_view name, Mp3Tag& tag);

// One file of a batch: its open descriptor (or -1), its name, and its path
// for the line on standard error when its tag could not be read.
struct AudioTagFile {
  int fd = -1;
  std::string_view name;
  std::string_view path;
};

// readAudioTag for count files at once, as few requests to the readers as
// they allow; tags[i] for files[i]. stop, when set, ends the reads at once
// and leaves the fields of the files not read blank. From any thread.
void readAudioTags(const AudioTagFile* files, size_t count, Mp3Tag* tags, const CancelFlag* stop);

}  // namespace tallyfold
