#include "reader/audio_properties.h"

#include <aifffile.h>
#include <asffile.h>
#include <flacfile.h>
#include <id3v2framefactory.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <oggflacfile.h>
#include <opusfile.h>
#include <vorbisfile.h>
#include <wavfile.h>

#include <string>

#include "reader/descriptor_stream.h"

namespace tallyfold {

namespace {

constexpr auto kSpeed = TagLib::AudioProperties::Average;

uint32_t positive(int value) {
  return value > 0 ? static_cast<uint32_t>(value) : 0;
}

bool take(const TagLib::AudioProperties* properties, std::string codec, MediaFacts& facts) {
  if (properties == nullptr) return false;
  facts.durationMs = positive(properties->lengthInMilliseconds());
  facts.bitrateKbps = positive(properties->bitrate());
  facts.sampleRate = positive(properties->sampleRate());
  facts.channels = positive(properties->channels());
  facts.codec = std::move(codec);
  // A file whose frames name no rate holds no sound TagLib recognised.
  return facts.sampleRate != 0 || facts.durationMs != 0;
}

bool readMpeg(TagLib::IOStream& stream, MediaFacts& facts) {
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), true, kSpeed);
  const TagLib::MPEG::Properties* properties = file.audioProperties();
  if (!file.isValid() || properties == nullptr) return false;
  const int layer = properties->layer();
  return take(properties, layer == 3 ? "MP3" : layer == 2 ? "MP2" : "MPEG audio", facts);
}

bool readFlac(TagLib::IOStream& stream, MediaFacts& facts) {
  TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), true, kSpeed);
  return file.isValid() && take(file.audioProperties(), "FLAC", facts);
}

template <class OggFile>
bool readOggAs(TagLib::IOStream& stream, const char* codec, MediaFacts& facts) {
  stream.seek(0);
  stream.clear();
  OggFile file(&stream, true, kSpeed);
  return file.isValid() && take(file.audioProperties(), codec, facts);
}

bool readOgg(TagLib::IOStream& stream, MediaFacts& facts) {
  return readOggAs<TagLib::Ogg::Vorbis::File>(stream, "Vorbis", facts) ||
         readOggAs<TagLib::Ogg::Opus::File>(stream, "Opus", facts) ||
         readOggAs<TagLib::Ogg::FLAC::File>(stream, "FLAC", facts);
}

bool readMp4(TagLib::IOStream& stream, MediaFacts& facts) {
  TagLib::MP4::File file(&stream, true, kSpeed);
  const TagLib::MP4::Properties* properties = file.audioProperties();
  if (!file.isValid() || properties == nullptr) return false;
  return take(properties, properties->codec() == TagLib::MP4::Properties::ALAC ? "ALAC" : "AAC",
              facts);
}

std::string asfCodecOf(const TagLib::ASF::Properties& properties) {
  switch (properties.codec()) {
    case TagLib::ASF::Properties::WMA9Pro:
      return "WMA Pro";
    case TagLib::ASF::Properties::WMA9Lossless:
      return "WMA Lossless";
    default:
      return "WMA";
  }
}

bool readAsf(TagLib::IOStream& stream, MediaFacts& facts) {
  TagLib::ASF::File file(&stream, true, kSpeed);
  const TagLib::ASF::Properties* properties = file.audioProperties();
  return file.isValid() && properties != nullptr &&
         take(properties, asfCodecOf(*properties), facts);
}

template <class PcmFile>
bool readPcm(TagLib::IOStream& stream, MediaFacts& facts) {
  PcmFile file(&stream, true, kSpeed);
  return file.isValid() && take(file.audioProperties(), "PCM", facts);
}

}  // namespace

bool readAudioProperties(int fd, MediaFormat format, MediaFacts& facts) {
  DescriptorStream stream(fd, kTagReadBudgetBytes);
  switch (format) {
    case MediaFormat::Mpeg:
      return readMpeg(stream, facts);
    case MediaFormat::Flac:
      return readFlac(stream, facts);
    case MediaFormat::Ogg:
      return readOgg(stream, facts);
    case MediaFormat::Mp4Audio:
      return readMp4(stream, facts);
    case MediaFormat::Asf:
      return readAsf(stream, facts);
    case MediaFormat::Wav:
      return readPcm<TagLib::RIFF::WAV::File>(stream, facts);
    case MediaFormat::Aiff:
      return readPcm<TagLib::RIFF::AIFF::File>(stream, facts);
    case MediaFormat::Image:
    case MediaFormat::Video:
      break;
  }
  return false;
}

}  // namespace tallyfold
