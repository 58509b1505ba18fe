#include "reader/media_file.h"

#include <exception>
#include <string>

#include "platform/utf8_text.h"
#include "reader/audio_properties.h"
#include "reader/image_metadata.h"
#include "reader/video_info.h"

namespace tallyfold {

namespace {

// A camera may name itself in any code page; the answer carries UTF-8, so a
// byte that is none shows as U+FFFD.
void makeValidUtf8(std::string& text) {
  if (isValidUtf8(text)) return;
  std::string valid;
  for (size_t pos = 0; pos < text.size();) appendUtf8(valid, decodeUtf8(text, pos));
  text = std::move(valid);
}

}  // namespace

void prepareMediaReaders() {
  prepareImageMetadata();
  prepareVideoInfo();
}

bool readMediaFile(int fd, MediaFormat format, MediaFacts& facts) {
  facts = MediaFacts{};
  bool found = false;
  try {
    switch (format) {
      case MediaFormat::Image:
        found = readImageMetadata(fd, facts);
        break;
      case MediaFormat::Video:
        found = readVideoInfo(fd, facts);
        break;
      default:
        found = readAudioProperties(fd, format, facts);
        break;
    }
  } catch (...) {
    // A damaged file may make a library ask for absurd amounts of memory or
    // throw its own errors: that file has no facts.
    found = false;
  }
  if (!found) facts = MediaFacts{};
  for (std::string* text : {&facts.taken, &facts.camera, &facts.codec}) makeValidUtf8(*text);
  return found;
}

}  // namespace tallyfold
