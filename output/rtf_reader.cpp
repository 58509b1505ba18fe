#include "output/rtf_reader.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <istream>
#include <limits>
#include <map>

#include "output/rtf_vocabulary.h"
#include "output/text_bytes.h"
#include "platform/text_trim.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr int kEnd = -1;
constexpr size_t kChunkSize = 64 * 1024;
// A run is handed over in pieces of about this size, so one endless paragraph
// does not grow the memory.
constexpr size_t kRunPieceSize = 64 * 1024;
// Control words are at most 32 letters; longer ones are read to their end and
// matched by their first letters only.
constexpr size_t kMaxWordLength = 32;
constexpr size_t kMaxFontNameBytes = 256;
constexpr size_t kMaxTableEntries = 4096;
constexpr int kDefaultHalfPoints = 24;
constexpr char32_t kReplacement = 0xFFFD;

bool isPlainText(unsigned char c) {
  return c < 0x80 && c != '{' && c != '}' && c != '\\' && c != '\r' && c != '\n';
}

// The document's bytes, from memory or from a stream read in chunks.
class ByteSource {
 public:
  explicit ByteSource(std::string_view bytes)
      : pos_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  explicit ByteSource(std::istream& in) : in_(&in), buffer_(kChunkSize, '\0') {}

  int next() {
    if (pos_ == end_ && !refill()) return kEnd;
    return static_cast<unsigned char>(*pos_++);
  }
  int peek() {
    if (pos_ == end_ && !refill()) return kEnd;
    return static_cast<unsigned char>(*pos_);
  }
  // The ASCII text that follows in the buffer up to the next brace,
  // backslash or line end: read in one go, as most of a listing is.
  std::string_view plainText() {
    const char* start = pos_;
    while (pos_ != end_ && isPlainText(static_cast<unsigned char>(*pos_))) ++pos_;
    return std::string_view(start, static_cast<size_t>(pos_ - start));
  }

 private:
  bool refill() {
    if (in_ == nullptr || !*in_) return false;
    in_->read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    std::streamsize count = in_->gcount();
    if (count <= 0) return false;
    pos_ = buffer_.data();
    end_ = pos_ + count;
    return true;
  }

  std::istream* in_ = nullptr;
  std::string buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
};

bool isLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(int c) {
  return c >= '0' && c <= '9';
}
int hexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Destination : uint8_t { Text, FontTable, ColourTable, Skipped };

struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int colour = 0;
  int font = 0;
  int halfPoints = kDefaultHalfPoints;
  bool operator==(const CharFormat&) const = default;
};

struct GroupState {
  CharFormat format;
  Destination destination = Destination::Text;
  int unicodeSkip = 1;  // \uc: fallback characters after each \u
};

struct ControlWord {
  std::string_view name;
  bool hasParameter = false;
  int parameter = 0;
  int intOr(int fallback) const { return hasParameter ? parameter : fallback; }
  // \b, \i, \ul and the like: on unless the parameter is 0.
  bool switchedOn() const { return !hasParameter || parameter != 0; }
};

class Reader {
 public:
  Reader(ByteSource& source, RtfHandler& handler) : source_(source), handler_(handler) {
    groups_.reserve(64);
    groups_.emplace_back();
  }

  void run() {
    for (;;) {
      if (readsPlainText()) {
        std::string_view plain = source_.plainText();
        if (!plain.empty()) {
          text(plain);
          continue;
        }
      }
      int c = source_.next();
      if (c == kEnd) break;
      switch (c) {
        case '{':
          openGroup();
          break;
        case '}':
          closeGroup();
          break;
        case '\\':
          readControl();
          break;
        case '\r':
        case '\n':
          break;
        default:
          rawByte(static_cast<unsigned char>(c));
          break;
      }
    }
    endOfDocument();
  }

 private:
  bool readsPlainText() const {
    return groups_.back().destination == Destination::Text && fallbackToSkip_ == 0 &&
           !skippingSequence_ && repair_.idle();
  }

  GroupState& group() { return groups_.back(); }
  Destination destination() { return groups_.back().destination; }

  // ---- groups ----

  void openGroup() {
    settleRawBytes();
    fallbackToSkip_ = 0;
    if (static_cast<int>(groups_.size()) > kRtfMaxGroupDepth) {
      ++untrackedDepth_;
      return;
    }
    GroupState copy = groups_.back();
    groups_.push_back(copy);
  }

  void closeGroup() {
    settleRawBytes();
    fallbackToSkip_ = 0;
    if (untrackedDepth_ > 0) {
      --untrackedDepth_;
      return;
    }
    if (groups_.size() <= 1) return;  // a stray closing brace
    if (destination() == Destination::FontTable) commitFont();
    groups_.pop_back();
  }

  // ---- control words and symbols ----

  void readControl() {
    settleRawBytes();
    int c = source_.next();
    if (c == kEnd) return;
    if (isLetter(c)) {
      readControlWord(c);
    } else {
      controlSymbol(c);
    }
  }

  void readControlWord(int first) {
    std::array<char, kMaxWordLength> letters{};
    size_t length = 0;
    letters[length++] = static_cast<char>(first);
    while (isLetter(source_.peek())) {
      int c = source_.next();
      if (length < kMaxWordLength) letters[length++] = static_cast<char>(c);
    }
    ControlWord word;
    word.name = std::string_view(letters.data(), length);
    bool hyphenIsText = readParameter(word);
    controlWord(word);
    if (hyphenIsText) rawByte('-');
  }

  // Reads the optional signed number and its blank delimiter. True when a
  // "-" followed by no digit was read: that "-" is the delimiter and text.
  bool readParameter(ControlWord& word) {
    bool negative = false;
    if (source_.peek() == '-') {
      source_.next();
      if (!isDigit(source_.peek())) return true;
      negative = true;
    }
    if (isDigit(source_.peek())) {
      // Saturates instead of overflowing; RTF numbers are 16 or 32 bits.
      int64_t value = 0;
      while (isDigit(source_.peek())) {
        int digit = source_.next() - '0';
        if (value <= std::numeric_limits<int32_t>::max()) value = value * 10 + digit;
      }
      if (negative) value = -value;
      value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                  std::numeric_limits<int32_t>::max());
      word.hasParameter = true;
      word.parameter = static_cast<int>(value);
    }
    if (source_.peek() == ' ') source_.next();
    return false;
  }

  void controlSymbol(int c) {
    if (c == '\'') {
      readHexByte();
      return;
    }
    if (c == '*') {
      group().destination = Destination::Skipped;
      return;
    }
    if (consumedAsFallback()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        literal(static_cast<char>(c));
        break;
      case '~':
        character(0x00A0);
        break;
      case '_':
        character(0x2011);
        break;
      case '\r':
      case '\n':
        if (destination() == Destination::Text) paragraphEnd();
        break;
      default:
        break;  // \- (optional hyphen), \| and the rest show nothing
    }
  }

  void readHexByte() {
    int high = hexValue(source_.peek());
    if (high < 0) return;
    source_.next();
    int value = high;
    int low = hexValue(source_.peek());
    if (low >= 0) {
      source_.next();
      value = high * 16 + low;
    }
    if (consumedAsFallback()) return;
    character(windows1252ToUnicode(static_cast<unsigned char>(value)));
  }

  void controlWord(const ControlWord& word) {
    std::string_view name = word.name;
    if (name == "bin") {
      skipBinary(word.intOr(0));
      return;
    }
    if (name == "u") {
      if (consumedAsFallback()) return;
      unicodeCharacter(word.intOr(0));
      fallbackToSkip_ = group().unicodeSkip;
      return;
    }
    if (consumedAsFallback()) return;
    if (destination() == Destination::Skipped) return;
    if (name == "uc") {
      group().unicodeSkip = std::clamp(word.intOr(1), 0, 16);
    } else if (name == "fonttbl") {
      group().destination = Destination::FontTable;
    } else if (name == "colortbl") {
      group().destination = Destination::ColourTable;
      colourEntry_ = {};
    } else if (isSkippedRtfDestination(name)) {
      group().destination = Destination::Skipped;
    } else if (name == "deff") {
      defaultFont_ = word.intOr(0);
    } else {
      switch (destination()) {
        case Destination::Text:
          formattingWord(word);
          break;
        case Destination::FontTable:
          fontTableWord(word);
          break;
        case Destination::ColourTable:
          colourTableWord(word);
          break;
        case Destination::Skipped:
          break;
      }
    }
  }

  void formattingWord(const ControlWord& word) {
    std::string_view name = word.name;
    CharFormat& format = group().format;
    if (name == "par" || name == "page" || name == "sect" || name == "row") {
      paragraphEnd();
    } else if (name == "line") {
      literal('\n');
    } else if (name == "tab" || name == "cell") {
      literal('\t');
    } else if (name == "b") {
      format.bold = word.switchedOn();
    } else if (name == "i") {
      format.italic = word.switchedOn();
    } else if (name == "ulnone") {
      format.underline = false;
    } else if (isRtfUnderlineWord(name)) {
      format.underline = word.switchedOn();
    } else if (name == "cf") {
      format.colour = word.intOr(0);
    } else if (name == "f") {
      format.font = word.intOr(defaultFont_);
    } else if (name == "fs") {
      int halfPoints = word.intOr(kDefaultHalfPoints);
      format.halfPoints = halfPoints > 0 ? halfPoints : kDefaultHalfPoints;
    } else if (name == "plain") {
      format = CharFormat{};
      format.font = defaultFont_;
    } else if (char32_t named = rtfNamedCharacter(name); named != 0) {
      character(named);
    }
  }

  void skipBinary(int count) {
    // Raw bytes that may hold braces and backslashes; never text.
    for (int i = 0; i < count && source_.next() != kEnd; ++i) {
    }
    if (fallbackToSkip_ > 0) --fallbackToSkip_;
  }

  // After \u, the next characters are the fallback for readers that do not
  // know Unicode; each character, \'hh, control word or symbol counts one.
  bool consumedAsFallback() {
    if (fallbackToSkip_ == 0) return false;
    --fallbackToSkip_;
    return true;
  }

  // ---- font and colour tables ----

  void fontTableWord(const ControlWord& word) {
    if (word.name == "f") {
      commitFont();
      fontNumber_ = word.intOr(0);
    }
  }

  void commitFont() {
    std::string name(trimText(bytesAsUtf8(fontNameBytes_)));
    fontNameBytes_.clear();
    if (name.empty()) return;
    if (fonts_.size() < kMaxTableEntries || fonts_.count(fontNumber_) != 0) {
      tablesChanging();
      fonts_[fontNumber_] = std::move(name);
    }
  }

  void fontTableByte(unsigned char byte) {
    if (byte == ';') {
      commitFont();
    } else if (fontNameBytes_.size() < kMaxFontNameBytes) {
      fontNameBytes_ += static_cast<char>(byte);
    }
  }

  void colourTableWord(const ControlWord& word) {
    int value = std::clamp(word.intOr(0), 0, 255);
    if (word.name == "red") {
      colourEntry_.colour.red = static_cast<uint8_t>(value);
    } else if (word.name == "green") {
      colourEntry_.colour.green = static_cast<uint8_t>(value);
    } else if (word.name == "blue") {
      colourEntry_.colour.blue = static_cast<uint8_t>(value);
    } else {
      return;
    }
    colourEntry_.set = true;
  }

  void colourTableByte(unsigned char byte) {
    if (byte != ';') return;
    if (colours_.size() < kMaxTableEntries) {
      tablesChanging();
      colours_.push_back(colourEntry_.set ? std::optional<RtfColour>(colourEntry_.colour)
                                          : std::nullopt);
    }
    colourEntry_ = {};
  }

  // A run's font name and colour are those of the tables as they stood when
  // its text was read: the text read so far goes out before a table entry
  // that may rename it. Handing it over later would let a table further on
  // restyle earlier text, and differently for a document read from memory
  // and one read in chunks, whose runs are handed over at other places.
  void tablesChanging() { flushRun(); }

  // ---- text ----

  void rawByte(unsigned char byte) {
    if (fallbackToSkip_ > 0 || skippingSequence_) {
      skipFallbackByte(byte);
      return;
    }
    switch (destination()) {
      case Destination::Text:
        if (byte < 0x80 && repair_.idle()) {
          literal(static_cast<char>(byte));
        } else {
          repaired_.clear();
          repair_.push(byte, repaired_);
          if (!repaired_.empty()) text(repaired_);
        }
        break;
      case Destination::FontTable:
        fontTableByte(byte);
        break;
      case Destination::ColourTable:
        colourTableByte(byte);
        break;
      case Destination::Skipped:
        break;
    }
  }

  // A fallback character written in UTF-8 counts once, not once per byte.
  void skipFallbackByte(unsigned char byte) {
    bool continuation = byte >= 0x80 && byte <= 0xBF;
    if (skippingSequence_ && continuation) return;
    skippingSequence_ = false;
    if (fallbackToSkip_ == 0) {
      rawByte(byte);
      return;
    }
    --fallbackToSkip_;
    skippingSequence_ = byte >= 0xC2 && byte <= 0xF4;
  }

  // Ends a UTF-8 sequence cut short by a control word or a brace.
  void settleRawBytes() {
    skippingSequence_ = false;
    if (repair_.idle()) return;
    repaired_.clear();
    repair_.finish(repaired_);
    text(repaired_);
  }

  void unicodeCharacter(int value) {
    if (value < 0) value += 0x10000;
    if (value < 0 || value > 0xFFFF) {
      character(kReplacement);
    } else if (value >= 0xD800 && value <= 0xDBFF) {
      settleLoneSurrogate();
      highSurrogate_ = static_cast<char32_t>(value);
    } else if (value >= 0xDC00 && value <= 0xDFFF) {
      if (highSurrogate_ == 0) {
        character(kReplacement);
        return;
      }
      char32_t joined = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (value - 0xDC00);
      highSurrogate_ = 0;
      character(joined);
    } else {
      character(static_cast<char32_t>(value));
    }
  }

  void settleLoneSurrogate() {
    if (highSurrogate_ == 0) return;
    highSurrogate_ = 0;
    character(kReplacement);
  }

  void character(char32_t c) {
    std::string utf8;
    appendUtf8(utf8, c);
    text(utf8);
  }

  void literal(char c) { text(std::string_view(&c, 1)); }

  void text(std::string_view utf8) {
    settleLoneSurrogate();
    switch (destination()) {
      case Destination::Text:
        appendToRun(utf8);
        break;
      case Destination::FontTable:
        if (utf8 == ";") {
          commitFont();
        } else if (fontNameBytes_.size() + utf8.size() <= kMaxFontNameBytes) {
          fontNameBytes_ += utf8;
        }
        break;
      case Destination::ColourTable:
      case Destination::Skipped:
        break;
    }
  }

  void appendToRun(std::string_view utf8) {
    const CharFormat& format = group().format;
    if (!runText_.empty() &&
        (!(format == runFormat_) || runText_.size() + utf8.size() > kRunPieceSize)) {
      flushRun();
    }
    runFormat_ = format;
    runText_ += utf8;
  }

  void flushRun() {
    if (runText_.empty()) return;
    handler_.onText(runText_, resolveStyle(runFormat_));
    runText_.clear();
  }

  RtfStyle resolveStyle(const CharFormat& format) const {
    RtfStyle style;
    style.bold = format.bold;
    style.italic = format.italic;
    style.underline = format.underline;
    style.colourIndex = format.colour;
    if (format.colour > 0 && static_cast<size_t>(format.colour) < colours_.size()) {
      style.colour = colours_[static_cast<size_t>(format.colour)];
    }
    style.fontIndex = format.font;
    auto font = fonts_.find(format.font);
    if (font != fonts_.end()) style.fontName = font->second;
    style.halfPoints = format.halfPoints;
    return style;
  }

  void paragraphEnd() {
    settleLoneSurrogate();
    flushRun();
    handler_.onParagraphEnd();
  }

  void endOfDocument() {
    settleRawBytes();
    settleLoneSurrogate();
    flushRun();
  }

  struct ColourEntry {
    RtfColour colour;
    bool set = false;
  };

  ByteSource& source_;
  RtfHandler& handler_;
  std::vector<GroupState> groups_;
  int untrackedDepth_ = 0;

  int defaultFont_ = 0;
  std::map<int, std::string> fonts_;
  int fontNumber_ = 0;
  std::string fontNameBytes_;
  std::vector<std::optional<RtfColour>> colours_;
  ColourEntry colourEntry_;

  int fallbackToSkip_ = 0;
  bool skippingSequence_ = false;
  char32_t highSurrogate_ = 0;
  Utf8Repair repair_;
  std::string repaired_;

  std::string runText_;
  CharFormat runFormat_;
};

class ParagraphCollector : public RtfHandler {
 public:
  void onText(std::string_view utf8, const RtfStyle& style) override {
    if (paragraphs_.empty() || paragraphs_.back().ended) paragraphs_.emplace_back();
    std::vector<RtfRun>& runs = paragraphs_.back().runs;
    if (!runs.empty() && runs.back().style == style) {
      runs.back().text += utf8;
    } else {
      runs.push_back(RtfRun{std::string(utf8), style});
    }
  }
  void onParagraphEnd() override {
    if (paragraphs_.empty() || paragraphs_.back().ended) paragraphs_.emplace_back();
    paragraphs_.back().ended = true;
  }
  std::vector<RtfParagraph> take() { return std::move(paragraphs_); }

 private:
  std::vector<RtfParagraph> paragraphs_;
};

}  // namespace

void readRtf(std::string_view document, RtfHandler& handler) {
  ByteSource source(document);
  Reader(source, handler).run();
}

void readRtf(std::istream& document, RtfHandler& handler) {
  ByteSource source(document);
  Reader(source, handler).run();
}

bool readRtfFile(const std::string& path, RtfHandler& handler) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  readRtf(in, handler);
  return true;
}

std::string RtfParagraph::text() const {
  std::string all;
  for (const RtfRun& run : runs) all += run.text;
  return all;
}

std::vector<RtfParagraph> parseRtf(std::string_view document) {
  ParagraphCollector collector;
  readRtf(document, collector);
  return collector.take();
}

}  // namespace tallyfold
