#include "scan/media_files.h"

#include <errno.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/budgeted_file.h"
#include "platform/printable_text.h"
#include "scan/tag_reader_pool.h"

namespace tallyfold {

namespace {

using Extension = std::pair<std::string_view, MediaFormat>;

constexpr std::array<Extension, 41> kMediaExtensions = {{
    {"mp3", MediaFormat::Mpeg},     {"mp2", MediaFormat::Mpeg},     {"flac", MediaFormat::Flac},
    {"ogg", MediaFormat::Ogg},      {"oga", MediaFormat::Ogg},      {"opus", MediaFormat::Ogg},
    {"m4a", MediaFormat::Mp4Audio}, {"m4b", MediaFormat::Mp4Audio}, {"wma", MediaFormat::Asf},
    {"asf", MediaFormat::Asf},      {"wav", MediaFormat::Wav},      {"aif", MediaFormat::Aiff},
    {"aiff", MediaFormat::Aiff},    {"jpg", MediaFormat::Image},    {"jpeg", MediaFormat::Image},
    {"jpe", MediaFormat::Image},    {"tif", MediaFormat::Image},    {"tiff", MediaFormat::Image},
    {"png", MediaFormat::Image},    {"webp", MediaFormat::Image},   {"heic", MediaFormat::Image},
    {"heif", MediaFormat::Image},   {"avif", MediaFormat::Image},   {"gif", MediaFormat::Image},
    {"bmp", MediaFormat::Image},    {"cr2", MediaFormat::Image},    {"cr3", MediaFormat::Image},
    {"nef", MediaFormat::Image},    {"arw", MediaFormat::Image},    {"dng", MediaFormat::Image},
    {"orf", MediaFormat::Image},    {"raf", MediaFormat::Image},    {"rw2", MediaFormat::Image},
    {"pef", MediaFormat::Image},    {"srw", MediaFormat::Image},    {"mp4", MediaFormat::Video},
    {"m4v", MediaFormat::Video},    {"mov", MediaFormat::Video},    {"mkv", MediaFormat::Video},
    {"webm", MediaFormat::Video},   {"avi", MediaFormat::Video},
}};

constexpr std::array<std::string_view, 7> kMoreVideoExtensions = {"mts",  "m2ts", "ts", "mpg",
                                                                  "mpeg", "wmv",  "3gp"};

bool sameExtension(std::string_view extension, std::string_view known) {
  if (known.size() != extension.size()) return false;
  for (size_t i = 0; i < known.size(); ++i) {
    if (asciiLower(extension[i]) != known[i]) return false;
  }
  return true;
}

// The lines about one batch of files, written to standard error at once: a
// collection of placeholders may hold a line for every other file.
class UnreadLines {
 public:
  UnreadLines() = default;
  UnreadLines(const UnreadLines&) = delete;
  UnreadLines& operator=(const UnreadLines&) = delete;
  ~UnreadLines() {
    if (!text_.empty()) std::fwrite(text_.data(), 1, text_.size(), stderr);
  }
  void add(const MediaFile& file, const std::string& why) {
    const std::string shown(file.path.empty() ? file.name : file.path);
    text_ += program_invocation_short_name;
    text_ += ": ";
    text_ += printableText(shown);
    text_ += ": no media facts read: ";
    text_ += printableText(why);
    text_ += '\n';
  }

 private:
  std::string text_;
};

void reportFailure(UnreadLines& lines, const MediaFile& file, const ReaderOutcome& outcome) {
  // A reader that cannot be started is named once, not for every file.
  static std::atomic<bool> unavailableSaid{false};
  if (outcome.failure == ReaderFailure::Stopped) return;
  if (outcome.failure == ReaderFailure::Unavailable) {
    if (unavailableSaid.exchange(true)) return;
    std::fprintf(stderr, "%s: no media facts read: %s\n", program_invocation_short_name,
                 printableText(outcome.why).c_str());
    return;
  }
  lines.add(file, outcome.why);
}

const char* kindName(MediaFormat format) {
  switch (format) {
    case MediaFormat::Image:
      return "an image";
    case MediaFormat::Video:
      return "a video";
    default:
      return "an audio";
  }
}

// A row of a listing is one line: control characters of a camera's name or a
// codec show as blanks.
void blankControls(MediaFacts& facts) {
  for (std::string* text : {&facts.taken, &facts.camera, &facts.codec}) {
    for (char& c : *text) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
  }
}

using Head = std::string_view;

bool at(Head head, size_t offset, std::string_view bytes) {
  return head.size() >= offset + bytes.size() && head.substr(offset, bytes.size()) == bytes;
}

bool isoMediaBox(Head head) {
  // An ISO media file (MP4, MOV, M4A, HEIF, CR3, 3GP) begins with a box.
  for (std::string_view box : {"ftyp", "moov", "mdat", "free", "skip", "wide", "pnot"}) {
    if (at(head, 4, box)) return true;
  }
  return false;
}

bool anyByteSet(Head head) {
  return head.find_first_not_of('\0') != std::string_view::npos;
}

// Whether the first bytes may begin a file of the format: its signature
// where the format has one. A file that cannot be one (a placeholder of
// zeros, a text renamed) is not sent to a reader at all.
bool headFits(MediaFormat format, Head head) {
  switch (format) {
    case MediaFormat::Flac:
      return at(head, 0, "fLaC") || at(head, 0, "ID3");
    case MediaFormat::Ogg:
      return at(head, 0, "OggS");
    case MediaFormat::Mp4Audio:
      return isoMediaBox(head);
    case MediaFormat::Asf:
      return at(head, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11");
    case MediaFormat::Wav:
      return at(head, 0, "RIFF") || at(head, 0, "RF64");
    case MediaFormat::Aiff:
      return at(head, 0, "FORM");
    case MediaFormat::Mpeg:
    case MediaFormat::Image:
    case MediaFormat::Video:
      // Frames found past leading junk, and formats of many signatures.
      return anyByteSet(head);
  }
  return false;
}

constexpr size_t kHeadBytes = 16;

}  // namespace

std::optional<MediaFormat> mediaFormatOf(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = name.substr(dot + 1);
  if (extension.empty() || extension.size() > 4) return std::nullopt;
  for (const auto& [known, format] : kMediaExtensions) {
    if (sameExtension(extension, known)) return format;
  }
  for (std::string_view known : kMoreVideoExtensions) {
    if (sameExtension(extension, known)) return MediaFormat::Video;
  }
  return std::nullopt;
}

void readMediaFactsOf(const MediaFile* files, size_t count, MediaFacts* facts,
                      const CancelFlag* stop) {
  UnreadLines lines;
  std::vector<size_t> sent;
  std::vector<ReaderFile> requests;
  for (size_t i = 0; i < count; ++i) {
    facts[i] = MediaFacts{};
    const std::optional<MediaFormat> format = mediaFormatOf(files[i].name);
    if (!format || files[i].fd < 0) continue;
    char head[kHeadBytes];
    BudgetedFile file(files[i].fd, kHeadBytes);
    const size_t got = file.readAt(0, head, sizeof head);
    if (!headFits(*format, std::string_view(head, got))) {
      lines.add(files[i], std::string("not ") + kindName(*format) + " file");
      continue;
    }
    sent.push_back(i);
    requests.push_back({files[i].fd, AudioContainer::Mpeg, ReaderQuestion::Media, *format});
  }
  if (requests.empty()) return;
  std::vector<ReaderOutcome> outcomes(requests.size());
  TagReaderPool::shared().read(requests.data(), requests.size(), outcomes.data(), stop);
  for (size_t k = 0; k < sent.size(); ++k) {
    const MediaFile& file = files[sent[k]];
    const ReaderOutcome& outcome = outcomes[k];
    if (outcome.failure != ReaderFailure::None) {
      reportFailure(lines, file, outcome);
    } else if (outcome.media.found) {
      facts[sent[k]] = outcome.media.facts;
      blankControls(facts[sent[k]]);
    } else {
      lines.add(file, std::string("not readable as ") + kindName(requests[k].format) + " file");
    }
  }
}

}  // namespace tallyfold
