#include "scan/audio_tags.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "platform/audio_tag_file.h"
#include "platform/text_trim.h"
#include "scan/mp3_tag.h"

namespace tallyfold {

namespace {

constexpr std::array<std::pair<std::string_view, AudioContainer>, 11> kAudioExtensions = {{
    {"mp3", AudioContainer::Mpeg},
    {"mp2", AudioContainer::Mpeg},
    {"flac", AudioContainer::Flac},
    {"ogg", AudioContainer::Ogg},
    {"oga", AudioContainer::Ogg},
    {"opus", AudioContainer::Ogg},
    {"m4a", AudioContainer::Mp4},
    {"m4b", AudioContainer::Mp4},
    {"mp4", AudioContainer::Mp4},
    {"wma", AudioContainer::Asf},
    {"asf", AudioContainer::Asf},
}};

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::optional<AudioContainer> containerOf(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = name.substr(dot + 1);
  for (const auto& [known, container] : kAudioExtensions) {
    if (known.size() != extension.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < known.size(); ++i) same = lowerAscii(extension[i]) == known[i];
    if (same) return container;
  }
  return std::nullopt;
}

// Tag texts may hold line breaks (comments often do), escapes and other
// controls; a row of a listing is one line, so each shows as a blank. The one
// rule for the texts of every tag format, ID3v1 included.
void blankControls(std::string& text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
}

// "17" and "(17)" name a genre by its ID3v1 number.
std::optional<unsigned> genreNumber(std::string_view text) {
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
    text = text.substr(1, text.size() - 2);
  }
  if (text.empty() || text.size() > 3) return std::nullopt;
  unsigned number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number;
}

// The first genre entry that names something.
std::string genreText(const std::vector<std::string>& genres) {
  for (const std::string& genre : genres) {
    if (const std::optional<unsigned> number = genreNumber(genre)) {
      if (*number <= 255) {
        std::string_view name = genreNameOf(static_cast<uint8_t>(*number));
        if (!name.empty()) return std::string(name);
      }
      continue;
    }
    if (!genre.empty()) return genre;
  }
  return {};
}

void fillFromText(const AudioTagText& text, AudioTags& tags) {
  tags.title = text.title;
  tags.artist = text.artist;
  tags.album = text.album;
  tags.comment = text.comment;
  if (text.year != 0) tags.year = std::to_string(text.year);
  tags.genre = genreText(text.genres);
}

// The ID3v1 fields are padded to their record widths; the padding is no part
// of the text.
void fillFromId3v1(const Mp3Tag& tag, AudioTags& tags) {
  tags.title = trimTextEnd(tag.title);
  tags.artist = trimTextEnd(tag.artist);
  tags.album = trimTextEnd(tag.album);
  tags.year = trimTextEnd(tag.year);
  tags.comment = trimTextEnd(tag.comment);
  tags.genre = tag.genreName;
}

void blankControlsOfEveryField(AudioTags& tags) {
  for (std::string* field :
       {&tags.title, &tags.artist, &tags.album, &tags.year, &tags.genre, &tags.comment}) {
    blankControls(*field);
  }
}

bool readTagsOfContainer(int fd, AudioContainer container, AudioTags& tags) {
  AudioTagText text;
  if (readAudioTagFile(fd, container, text)) {
    fillFromText(text, tags);
    return true;
  }
  // An MP3 file without an ID3v2 tag may end in an ID3v1 tag.
  Mp3Tag id3v1;
  if (container == AudioContainer::Mpeg && readMp3TagOfOpenFile(fd, id3v1)) {
    fillFromId3v1(id3v1, tags);
    return true;
  }
  return false;
}

}  // namespace

bool isAudioFileName(std::string_view name) {
  return containerOf(name).has_value();
}

bool readAudioTags(int fd, std::string_view name, AudioTags& tags) {
  tags = AudioTags{};
  const std::optional<AudioContainer> container = containerOf(name);
  if (!container || fd < 0) return false;
  const bool found = readTagsOfContainer(fd, *container, tags);
  blankControlsOfEveryField(tags);
  return found;
}

}  // namespace tallyfold
