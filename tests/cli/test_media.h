#pragma once
// The media files of the tests, each of known facts, with damaged copies,
// made with the usual tools (ImageMagick, exiv2, sox, lame, flac, ffmpeg) in a
// folder "media", and the settings that switch every media column on.

#include <string>
#include <vector>

#include "support/process.h"

namespace tallyfold::test {

inline const std::vector<std::string> kMediaColumns = {
    "--set", "Fields.Duration=1",   "--set", "Fields.Bitrate=1", "--set", "Fields.AudioFormat=1",
    "--set", "Fields.Dimensions=1", "--set", "Fields.Taken=1",   "--set", "Fields.Camera=1",
    "--set", "Fields.Codec=1"};

// The media of the tests, each of known facts, and damaged copies.
inline const char* const kMakeMedia = R"(set -e
mkdir media && cd media
convert -size 600x400 xc:skyblue photo.jpg
exiv2 -M'set Exif.Photo.DateTimeOriginal 2024:03:05 14:07:09' \
      -M'set Exif.Photo.OffsetTimeOriginal +01:00' -M'set Exif.Image.Make Canon' \
      -M'set Exif.Image.Model Canon EOS R5' -M'set Exif.Image.Orientation 6' photo.jpg
convert -size 64x48 xc:red plain.png
convert -size 30x20 xc:blue plain.gif
sox -n -r 44100 -c 2 -b 16 tone.wav synth 3 sine 440
lame --quiet -b 128 tone.wav tone.mp3
sox -n -r 48000 -c 1 -b 16 mono.wav synth 2 sine 440
flac --silent -o mono.flac mono.wav
ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=2 \
       -f lavfi -i sine=frequency=440:sample_rate=48000:duration=2 \
       -c:v libx264 -pix_fmt yuv420p -c:a aac -ac 2 \
       -metadata creation_time=2024-03-05T14:07:09Z -shortest clip.mp4
head -c 200 photo.jpg > broken.jpg
yes 'not a video at all' | head -c 5000 > noise.mp4
{ printf 'XXXX'; tail -c +5 mono.flac; } > damaged.flac
head -c 1500 clip.mp4 > cut.mp4
echo 'no media here' > notes.txt
head -c 4096 /dev/zero > zeros.jpg
echo 'a text named as a song' > words.ogg
)";

// The tools of kMakeMedia that are not installed, by name; empty when all are.
inline std::string missingMediaTools() {
  return runProgram("/bin/bash", {"-c",
                                  "for t in convert exiv2 sox lame flac ffmpeg; do command -v $t "
                                  ">/dev/null || echo $t; done"})
      .out;
}

// Makes the media in folder/media.
inline ProcessResult makeTestMedia(const std::string& folder) {
  return runProgram("/bin/bash", {"-c", kMakeMedia}, {}, folder);
}

}  // namespace tallyfold::test
