#pragma once
// The length, bitrate, pixel size, creation time and codecs of videos (MP4,
// MOV, MKV, WebM, AVI, MPEG-TS and MTS), read with MediaInfoLib from buffers
// the reader fills from the descriptor, only at the offsets MediaInfoLib asks
// for. Runs only in the reader process.

#include "platform/media_facts.h"

namespace tallyfold {

// Sets up MediaInfoLib's tables; before the system call filter.
void prepareVideoInfo();

// Fills facts from the open video file; false when MediaInfoLib recognises
// no video or audio stream in it. Library exceptions reach the caller.
bool readVideoInfo(int fd, MediaFacts& facts);

}  // namespace tallyfold
