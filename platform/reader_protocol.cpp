#include "platform/reader_protocol.h"

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr std::string_view kRequestMagic = "TFq1";
constexpr std::string_view kAnswerMagic = "TFa1";
constexpr std::string_view kMediaRequestMagic = "TFm1";
constexpr std::string_view kMediaAnswerMagic = "TFn1";

void putU16(std::string& out, size_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}

void putU32(std::string& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xff);
}

// Cut at a character boundary, so that a cut text stays UTF-8.
void putText(std::string& out, std::string_view text) {
  if (text.size() > kMaxAnswerTextBytes) {
    size_t end = kMaxAnswerTextBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text = text.substr(0, end);
  }
  putU16(out, text.size());
  out += text;
}

// Reads fields off the front of a message; any read past its end, or a
// length over its limit, marks the whole message bad.
class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : rest_(bytes) {}
  bool bad() const { return bad_; }
  bool atEnd() const { return rest_.empty(); }

  std::string_view take(size_t count) {
    if (bad_ || count > rest_.size()) {
      bad_ = true;
      return {};
    }
    std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return taken;
  }
  uint32_t number(size_t bytes) {
    std::string_view raw = take(bytes);
    uint32_t value = 0;
    for (size_t i = raw.size(); i-- > 0;) value = (value << 8) | static_cast<unsigned char>(raw[i]);
    return value;
  }
  std::string text() {
    const size_t length = number(2);
    if (length > kMaxAnswerTextBytes) bad_ = true;
    std::string_view raw = take(length);
    if (!isValidUtf8(raw)) bad_ = true;
    return bad_ ? std::string() : std::string(raw);
  }

 private:
  std::string_view rest_;
  bool bad_ = false;
};

}  // namespace

std::string encodeTagRequest(const std::vector<AudioContainer>& containers) {
  std::string out(kRequestMagic);
  out += static_cast<char>(containers.size());
  for (AudioContainer container : containers) out += static_cast<char>(container);
  return out;
}

std::optional<std::vector<AudioContainer>> parseTagRequest(std::string_view bytes,
                                                           size_t descriptorCount) {
  FieldReader reader(bytes);
  if (reader.take(kRequestMagic.size()) != kRequestMagic) return std::nullopt;
  const size_t count = reader.number(1);
  if (reader.bad() || count == 0 || count > kMaxFilesPerRequest || count != descriptorCount) {
    return std::nullopt;
  }
  std::vector<AudioContainer> containers;
  containers.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t code = reader.number(1);
    if (code >= kAudioContainerCount) return std::nullopt;
    containers.push_back(static_cast<AudioContainer>(code));
  }
  if (reader.bad() || !reader.atEnd()) return std::nullopt;
  return containers;
}

std::string encodeTagAnswer(const TagAnswer& answer) {
  std::string out(kAnswerMagic);
  out += answer.found ? '\1' : '\0';
  const AudioTagText& text = answer.text;
  putU32(out, text.year);
  putText(out, text.title);
  putText(out, text.artist);
  putText(out, text.album);
  putText(out, text.comment);
  const size_t genres = std::min(text.genres.size(), kMaxAnswerGenres);
  out += static_cast<char>(genres);
  for (size_t i = 0; i < genres; ++i) putText(out, text.genres[i]);
  return out;
}

std::optional<TagAnswer> parseTagAnswer(std::string_view bytes) {
  if (bytes.size() > kMaxAnswerBytes) return std::nullopt;
  FieldReader reader(bytes);
  if (reader.take(kAnswerMagic.size()) != kAnswerMagic) return std::nullopt;
  TagAnswer answer;
  const uint32_t found = reader.number(1);
  if (found > 1) return std::nullopt;
  answer.found = found == 1;
  AudioTagText& text = answer.text;
  text.year = reader.number(4);
  text.title = reader.text();
  text.artist = reader.text();
  text.album = reader.text();
  text.comment = reader.text();
  const size_t genres = reader.number(1);
  if (genres > kMaxAnswerGenres) return std::nullopt;
  for (size_t i = 0; i < genres && !reader.bad(); ++i) text.genres.push_back(reader.text());
  if (reader.bad() || !reader.atEnd()) return std::nullopt;
  if (!answer.found && (text.year != 0 || !text.title.empty() || !text.genres.empty())) {
    return std::nullopt;
  }
  return answer;
}

std::string encodeMediaRequest(const std::vector<MediaFormat>& formats) {
  std::string out(kMediaRequestMagic);
  out += static_cast<char>(formats.size());
  for (MediaFormat format : formats) out += static_cast<char>(format);
  return out;
}

bool isMediaRequest(std::string_view bytes) {
  return bytes.substr(0, kMediaRequestMagic.size()) == kMediaRequestMagic;
}

std::optional<std::vector<MediaFormat>> parseMediaRequest(std::string_view bytes,
                                                          size_t descriptorCount) {
  FieldReader reader(bytes);
  if (reader.take(kMediaRequestMagic.size()) != kMediaRequestMagic) return std::nullopt;
  const size_t count = reader.number(1);
  if (reader.bad() || count == 0 || count > kMaxFilesPerRequest || count != descriptorCount) {
    return std::nullopt;
  }
  std::vector<MediaFormat> formats;
  formats.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t code = reader.number(1);
    if (code >= kMediaFormatCount) return std::nullopt;
    formats.push_back(static_cast<MediaFormat>(code));
  }
  if (reader.bad() || !reader.atEnd()) return std::nullopt;
  return formats;
}

std::string encodeMediaAnswer(const MediaAnswer& answer) {
  std::string out(kMediaAnswerMagic);
  out += answer.found ? '\1' : '\0';
  const MediaFacts& facts = answer.facts;
  for (uint32_t number : {facts.durationMs, facts.bitrateKbps, facts.sampleRate, facts.channels,
                          facts.width, facts.height}) {
    putU32(out, number);
  }
  putText(out, facts.taken);
  putText(out, facts.camera);
  putText(out, facts.codec);
  return out;
}

std::optional<MediaAnswer> parseMediaAnswer(std::string_view bytes) {
  if (bytes.size() > kMaxAnswerBytes) return std::nullopt;
  FieldReader reader(bytes);
  if (reader.take(kMediaAnswerMagic.size()) != kMediaAnswerMagic) return std::nullopt;
  MediaAnswer answer;
  const uint32_t found = reader.number(1);
  if (found > 1) return std::nullopt;
  answer.found = found == 1;
  MediaFacts& facts = answer.facts;
  for (uint32_t* number : {&facts.durationMs, &facts.bitrateKbps, &facts.sampleRate,
                           &facts.channels, &facts.width, &facts.height}) {
    *number = reader.number(4);
  }
  facts.taken = reader.text();
  facts.camera = reader.text();
  facts.codec = reader.text();
  if (reader.bad() || !reader.atEnd()) return std::nullopt;
  if (!answer.found && encodeMediaAnswer(MediaAnswer{}) != bytes) return std::nullopt;
  return answer;
}

}  // namespace tallyfold
