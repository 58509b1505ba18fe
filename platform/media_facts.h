#pragma once
// The media facts of a file as the reader process answers them: the length
// and sound of audio, the pixel size, date taken and camera of photos, and the
// length, size and codecs of videos. A fact the file does not hold is zero or
// empty.

#include <cstdint>
#include <string>

namespace tallyfold {

// Which library the reader hands the file to, as its extension names it.
enum class MediaFormat : unsigned char {
  Mpeg,  // MP3 and MP2: TagLib's audio properties, as every audio format
  Flac,
  Ogg,  // Vorbis, Opus or FLAC inside Ogg
  Mp4Audio,
  Asf,
  Wav,
  Aiff,
  Image,  // Exiv2, then the image header for the pixel size
  Video,  // MediaInfoLib
};
inline constexpr unsigned kMediaFormatCount = 9;

struct MediaFacts {
  uint32_t durationMs = 0;
  uint32_t bitrateKbps = 0;
  uint32_t sampleRate = 0;  // Hz
  uint32_t channels = 0;
  uint32_t width = 0;  // pixels
  uint32_t height = 0;
  std::string taken;   // ISO 8601, "2024-03-05T14:07:09" with "+01:00" where known
  std::string camera;  // make and model
  std::string codec;   // "H.264 / AAC", "FLAC", "JPEG"
};

}  // namespace tallyfold
