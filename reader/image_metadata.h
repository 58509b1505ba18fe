#pragma once
// The pixel size, date taken, camera and format of images, read with Exiv2
// (JPEG, TIFF, PNG, WebP, HEIF and the camera raw formats); the image header
// gives the pixel size where Exiv2 finds none. Runs only in the reader
// process.

#include "platform/media_facts.h"

namespace tallyfold {

// Sets up what Exiv2 prepares on first use; before the system call filter.
void prepareImageMetadata();

// Fills facts from the open image file; false when neither Exiv2 nor the
// image header yields anything. Library exceptions reach the caller.
bool readImageMetadata(int fd, MediaFacts& facts);

}  // namespace tallyfold
