#include "scan/audio_tags.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "platform/audio_tag_file.h"
#include "platform/utf8_text.h"

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

// Tag texts may hold line breaks (comments often do) and other controls; a
// row of the listing is one line, so each shows as a blank.
std::string withoutControls(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return clean;
}

// Cut to width characters, padded with blanks to it.
std::string fieldOfWidth(std::string_view text, size_t width) {
  std::string field(utf8Prefix(withoutControls(text), width));
  const size_t length = utf8Length(field);
  if (length < width) field.append(width - length, ' ');
  return field;
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
    std::string clean = withoutControls(genre);
    if (!clean.empty()) return clean;
  }
  return {};
}

void fillFromText(const AudioTagText& text, Mp3Tag& tag) {
  tag.title = fieldOfWidth(text.title, 30);
  tag.artist = fieldOfWidth(text.artist, 30);
  tag.album = fieldOfWidth(text.album, 30);
  tag.comment = fieldOfWidth(text.comment, 30);
  tag.year = fieldOfWidth(text.year == 0 ? std::string() : std::to_string(text.year), 4);
  tag.genreName = genreText(text.genres);
}

}  // namespace

bool isAudioFileName(std::string_view name) {
  return containerOf(name).has_value();
}

bool readAudioTag(int fd, std::string_view name, Mp3Tag& tag) {
  tag = Mp3Tag{};
  const std::optional<AudioContainer> container = containerOf(name);
  if (!container || fd < 0) return false;
  AudioTagText text;
  if (readAudioTagFile(fd, *container, text)) {
    fillFromText(text, tag);
    return true;
  }
  // An MP3 file without an ID3v2 tag may end in an ID3v1 tag.
  if (*container == AudioContainer::Mpeg) {
    return readMp3TagOfOpenFile(fd, tag);
  }
  return false;
}

}  // namespace tallyfold
