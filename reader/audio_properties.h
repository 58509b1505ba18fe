#pragma once
// The length, bitrate, sample rate, channels and codec of audio files, from
// TagLib's audio properties. Runs only in the reader process.

#include "platform/media_facts.h"

namespace tallyfold {

// Fills facts from the open file of that audio format; false when TagLib
// cannot read it as that format. Library exceptions reach the caller.
bool readAudioProperties(int fd, MediaFormat format, MediaFacts& facts);

}  // namespace tallyfold
