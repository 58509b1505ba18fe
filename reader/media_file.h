#pragma once
// The media facts of one file, from the library of its kind: TagLib's audio
// properties, Exiv2 and the image header, or MediaInfoLib. Runs only in the
// reader process.

#include "platform/media_facts.h"

namespace tallyfold {

// Sets up the libraries before the system call filter.
void prepareMediaReaders();

// Fills facts (cleared first) from the open file of that format. False when
// the file cannot be read as it; never throws for a damaged file.
bool readMediaFile(int fd, MediaFormat format, MediaFacts& facts);

}  // namespace tallyfold
