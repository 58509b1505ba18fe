#pragma once
// The tags of audio files as TagLib reads them: ID3v2 of MP3, the Vorbis
// comments of FLAC, Ogg Vorbis and Opus, the MP4 atoms of M4A and the ASF
// attributes of WMA. Runs only in the reader process.

#include "platform/audio_tag_text.h"

namespace tallyfold {

// Reads the tag of an open file of that container into text (cleared first).
// False when the file holds no such tag or cannot be parsed as the
// container; never throws for a damaged file.
bool readAudioTagFile(int fd, AudioContainer container, AudioTagText& text);

}  // namespace tallyfold
