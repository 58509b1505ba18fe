#include "scan/audio_tags.h"

#include <errno.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/audio_tag_text.h"
#include "platform/budgeted_file.h"
#include "platform/printable_text.h"
#include "platform/text_trim.h"
#include "scan/mp3_tag.h"
#include "scan/tag_reader_pool.h"

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

std::optional<AudioContainer> containerOf(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = name.substr(dot + 1);
  for (const auto& [known, container] : kAudioExtensions) {
    if (known.size() != extension.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < known.size(); ++i) same = asciiLower(extension[i]) == known[i];
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

bool readId3v1(int fd, AudioTags& tags) {
  Mp3Tag id3v1;
  if (!readMp3TagOfOpenFile(fd, id3v1)) return false;
  fillFromId3v1(id3v1, tags);
  return true;
}

void reportUnread(const AudioTagFile& file, const ReaderOutcome& outcome) {
  // A reader that cannot be started is named once, not for every file.
  static std::atomic<bool> unavailableSaid{false};
  if (outcome.failure == ReaderFailure::Stopped) return;
  if (outcome.failure == ReaderFailure::Unavailable) {
    if (unavailableSaid.exchange(true)) return;
    std::fprintf(stderr, "%s: no tags read: %s\n", program_invocation_short_name,
                 printableText(outcome.why).c_str());
    return;
  }
  // Named as the program's own messages are: "tallyfold-cli: FILE: ...".
  const std::string shown(file.path.empty() ? file.name : file.path);
  std::fprintf(stderr, "%s: %s: no tags read: %s\n", program_invocation_short_name,
               printableText(shown).c_str(), printableText(outcome.why).c_str());
}

// found[i]: whether a tag of files[i] was read.
void readTagsOf(const AudioTagFile* files, size_t count, AudioTags* tags, std::vector<char>& found,
                const CancelFlag* stop) {
  found.assign(count, 0);
  // Only files that may hold a tag TagLib reads go to the readers: an MP3
  // file without an ID3v2 header is read here for its ID3v1 tag at once.
  std::vector<size_t> sent;
  std::vector<ReaderFile> requests;
  for (size_t i = 0; i < count; ++i) {
    tags[i] = AudioTags{};
    const std::optional<AudioContainer> container = containerOf(files[i].name);
    if (!container || files[i].fd < 0) continue;
    if (*container == AudioContainer::Mpeg && !fileStartsWith(files[i].fd, "ID3")) {
      found[i] = readId3v1(files[i].fd, tags[i]);
      continue;
    }
    sent.push_back(i);
    requests.push_back({files[i].fd, *container});
  }
  if (!requests.empty()) {
    std::vector<ReaderOutcome> outcomes(requests.size());
    TagReaderPool::shared().read(requests.data(), requests.size(), outcomes.data(), stop);
    for (size_t k = 0; k < sent.size(); ++k) {
      const size_t i = sent[k];
      const ReaderOutcome& outcome = outcomes[k];
      if (outcome.failure != ReaderFailure::None) {
        reportUnread(files[i], outcome);
      } else if (outcome.answer.found) {
        fillFromText(outcome.answer.text, tags[i]);
        found[i] = 1;
      } else if (requests[k].container == AudioContainer::Mpeg) {
        // An MP3 file whose ID3v2 tag is unusable may still end in an ID3v1 tag.
        found[i] = readId3v1(files[i].fd, tags[i]);
      }
    }
  }
  for (size_t i = 0; i < count; ++i) blankControlsOfEveryField(tags[i]);
}

}  // namespace

bool isAudioFileName(std::string_view name) {
  return containerOf(name).has_value();
}

bool readAudioTags(int fd, std::string_view name, AudioTags& tags) {
  const AudioTagFile file{fd, name, name};
  std::vector<char> found;
  readTagsOf(&file, 1, &tags, found, nullptr);
  return found[0] != 0;
}

void readAudioTagsOf(const AudioTagFile* files, size_t count, AudioTags* tags,
                     const CancelFlag* stop) {
  std::vector<char> found;
  readTagsOf(files, count, tags, found, stop);
}

}  // namespace tallyfold
