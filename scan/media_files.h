#pragma once
// The media facts of files (length and sound of audio, pixel size, date taken
// and camera of photos, length, size and codecs of videos): the file's
// extension names its kind, and only files so named are opened. The reader
// processes (scan/tag_reader_pool.h) read them with the library of each kind,
// from the open descriptor: a file that crashes a library or overruns its
// memory or time costs its own facts only, named on standard error.

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/media_facts.h"
#include "scan/run_control.h"

namespace tallyfold {

// The format the name's extension names (case ignored), or none:
// audio .mp3 .mp2 .flac .ogg .oga .opus .m4a .m4b .wma .asf .wav .aif .aiff;
// images .jpg .jpeg .jpe .tif .tiff .png .webp .heic .heif .avif .gif .bmp
// and the raw formats .cr2 .cr3 .nef .arw .dng .orf .raf .rw2 .pef .srw;
// videos .mp4 .m4v .mov .mkv .webm .avi .mts .m2ts .ts .mpg .mpeg .wmv .3gp.
std::optional<MediaFormat> mediaFormatOf(std::string_view name);
inline bool isMediaFileName(std::string_view name) {
  return mediaFormatOf(name).has_value();
}

// One file of a batch: its open descriptor (or -1), its name, and its path
// for the line on standard error when its facts could not be read.
struct MediaFile {
  int fd = -1;
  std::string_view name;
  std::string_view path;
};

// Reads the facts of count files, as few requests to the readers as they
// allow; facts[i] for files[i], blank for a file that could not be read as
// its format (named on standard error). stop, when set, ends the reads at
// once. From any thread.
void readMediaFactsOf(const MediaFile* files, size_t count, MediaFacts* facts,
                      const CancelFlag* stop);

}  // namespace tallyfold
