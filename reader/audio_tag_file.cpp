#include "reader/audio_tag_file.h"

#include <asffile.h>
#include <flacfile.h>
#include <id3v2framefactory.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <oggflacfile.h>
#include <opusfile.h>
#include <textidentificationframe.h>
#include <vorbisfile.h>

#include <exception>

#include "reader/descriptor_stream.h"

namespace tallyfold {

namespace {

std::string utf8Of(const TagLib::String& text) {
  return text.to8Bit(true);
}

void takeTag(const TagLib::Tag* tag, AudioTagText& text) {
  if (tag == nullptr) return;
  text.title = utf8Of(tag->title());
  text.artist = utf8Of(tag->artist());
  text.album = utf8Of(tag->album());
  text.comment = utf8Of(tag->comment());
  text.year = tag->year();
  const std::string genre = utf8Of(tag->genre());
  if (!genre.empty()) text.genres.push_back(genre);
}

// ID3v2 genres straight from the frame: TagLib would name numbered genres by
// its own table, whose spellings differ from the ones the ID3v1 reader uses.
void takeId3v2Genres(TagLib::ID3v2::Tag& tag, AudioTagText& text) {
  text.genres.clear();
  const TagLib::ID3v2::FrameList& frames = tag.frameListMap()["TCON"];
  if (frames.isEmpty()) return;
  const auto* frame = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
  if (frame == nullptr) return;
  for (const TagLib::String& field : frame->fieldList()) {
    if (!field.isEmpty()) text.genres.push_back(utf8Of(field));
  }
}

bool readMpeg(TagLib::IOStream& stream, AudioTagText& text) {
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid() || !file.hasID3v2Tag()) return false;
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
  takeTag(tag, text);
  takeId3v2Genres(*tag, text);
  return true;
}

bool readFlac(TagLib::IOStream& stream, AudioTagText& text) {
  TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid()) return false;
  takeTag(file.tag(), text);
  return true;
}

template <class OggFile>
bool readOggAs(TagLib::IOStream& stream, AudioTagText& text) {
  stream.seek(0);
  stream.clear();
  OggFile file(&stream, false);
  if (!file.isValid()) return false;
  takeTag(file.tag(), text);
  return true;
}

bool readOgg(TagLib::IOStream& stream, AudioTagText& text) {
  return readOggAs<TagLib::Ogg::Vorbis::File>(stream, text) ||
         readOggAs<TagLib::Ogg::Opus::File>(stream, text) ||
         readOggAs<TagLib::Ogg::FLAC::File>(stream, text);
}

bool readMp4(TagLib::IOStream& stream, AudioTagText& text) {
  TagLib::MP4::File file(&stream, false);
  if (!file.isValid()) return false;
  takeTag(file.tag(), text);
  return true;
}

bool readAsf(TagLib::IOStream& stream, AudioTagText& text) {
  TagLib::ASF::File file(&stream, false);
  if (!file.isValid()) return false;
  takeTag(file.tag(), text);
  return true;
}

}  // namespace

bool readAudioTagFile(int fd, AudioContainer container, AudioTagText& text) {
  text = AudioTagText{};
  DescriptorStream stream(fd, kTagReadBudgetBytes);
  bool found = false;
  try {
    switch (container) {
      case AudioContainer::Mpeg:
        found = readMpeg(stream, text);
        break;
      case AudioContainer::Flac:
        found = readFlac(stream, text);
        break;
      case AudioContainer::Ogg:
        found = readOgg(stream, text);
        break;
      case AudioContainer::Mp4:
        found = readMp4(stream, text);
        break;
      case AudioContainer::Asf:
        found = readAsf(stream, text);
        break;
    }
  } catch (const std::exception&) {
    // A damaged file may make TagLib ask for absurd amounts of memory.
    found = false;
  }
  if (!found) text = AudioTagText{};
  return found;
}

}  // namespace tallyfold
