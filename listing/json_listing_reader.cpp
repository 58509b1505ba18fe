#include "listing/json_listing_reader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cstring>
#include <optional>

#include "listing/name_bytes.h"
#include "platform/byte_reader.h"
#include "platform/iso_time.h"

namespace tallyfold {

namespace {

constexpr size_t kReadBytes = size_t{1} << 16;

// A listing nests four levels deep (root, files, file, value); anything far
// deeper is no listing and is refused before it costs memory.
constexpr size_t kDeepestNesting = 64;

// The parser's input: the file in pieces of 64 KB. The member names are the
// ones RapidJSON's stream concept asks for. The parser takes a NUL byte for
// the end of its input, so whether the end was really reached is asked of
// the stream itself.
class ChunkStream {
 public:
  using Ch = char;
  explicit ChunkStream(ByteReader& reader) : reader_(reader), buffer_(kReadBytes) { fill(); }

  Ch Peek() const { return next_ < end_ ? buffer_[next_] : '\0'; }
  Ch Take() {
    if (next_ >= end_) return '\0';
    const Ch c = buffer_[next_++];
    if (next_ == end_) fill();
    return c;
  }
  size_t Tell() const { return consumed_ + next_; }
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  void Flush() {}
  size_t PutEnd(Ch*) { return 0; }

  int error() const { return error_; }
  bool atEnd() const { return next_ >= end_; }
  // Steps over the blanks JSON allows after a document.
  void skipBlanks() {
    while (!atEnd() && std::strchr(" \t\r\n", buffer_[next_]) != nullptr) Take();
  }

 private:
  void fill() {
    consumed_ += end_;
    next_ = 0;
    end_ = 0;
    const long count = reader_.read(buffer_.data(), buffer_.size());
    if (count < 0) error_ = static_cast<int>(-count);
    if (count > 0) end_ = static_cast<size_t>(count);
  }

  ByteReader& reader_;
  std::vector<char> buffer_;
  size_t next_ = 0, end_ = 0, consumed_ = 0;
  int error_ = 0;
};

enum class FrameKind { Object, Array };

struct Frame {
  FrameKind kind;
  std::string key;  // an object's current key
};

// Where a value sits: the file objects are root.files[i], the locations
// root.header.locations[i]; everything else is read over.
class ListingHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, ListingHandler> {
 public:
  ListingHandler(Catalog& catalog, JsonListingContents& contents, const CancelFlag* cancel)
      : catalog_(catalog), contents_(contents), cancel_(cancel) {}

  const std::string& problem() const { return problem_; }
  bool sawFiles() const { return sawFiles_; }

  bool StartObject() {
    if (frames_.size() >= kDeepestNesting) return tooDeep();
    if (frames_.empty()) {
      rootOpened_ = true;
    } else if (!rootOpened_) {
      return fail("the document is not an object");
    }
    if (inFileArray()) startFile();
    if (inLocationArray()) contents_.locations.emplace_back();
    frames_.push_back({FrameKind::Object, {}});
    return true;
  }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    frames_.back().key.assign(text, length);
    return true;
  }
  bool EndObject(rapidjson::SizeType) {
    frames_.pop_back();
    if (inFileArray()) return finishFile();
    return true;
  }
  bool StartArray() {
    if (frames_.empty()) return fail("the document is not an object");
    if (frames_.size() >= kDeepestNesting) return tooDeep();
    if (frames_.size() == 1 && frames_[0].key == "files") sawFiles_ = true;
    frames_.push_back({FrameKind::Array, {}});
    return true;
  }
  bool EndArray(rapidjson::SizeType) {
    frames_.pop_back();
    return true;
  }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    return scalar(std::string_view(text, length), std::nullopt, std::nullopt);
  }
  bool Uint64(uint64_t value) { return scalar({}, value, std::nullopt); }
  bool Uint(unsigned value) { return scalar({}, value, std::nullopt); }
  bool Int(int value) { return value < 0 ? scalar({}, std::nullopt, std::nullopt) : Uint(value); }
  bool Int64(int64_t value) {
    return value < 0 ? scalar({}, std::nullopt, std::nullopt)
                     : scalar({}, static_cast<uint64_t>(value), std::nullopt);
  }
  bool Bool(bool value) { return scalar({}, std::nullopt, value); }
  bool Default() { return scalar({}, std::nullopt, std::nullopt); }

 private:
  bool fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }
  bool tooDeep() {
    return fail("it nests deeper than " + std::to_string(kDeepestNesting) + " levels");
  }
  bool inFileArray() const {
    return frames_.size() == 2 && frames_[0].key == "files" && frames_[1].kind == FrameKind::Array;
  }
  // A value inside an array in the file array (or the location array) is no
  // field of a file (or of a location).
  bool inFileObject() const {
    return frames_.size() == 3 && frames_[0].key == "files" &&
           frames_[1].kind == FrameKind::Array && frames_[2].kind == FrameKind::Object;
  }
  bool inLocationArray() const {
    return frames_.size() == 3 && frames_[0].key == "header" && frames_[1].key == "locations" &&
           frames_[2].kind == FrameKind::Array;
  }
  bool inLocationObject() const {
    return frames_.size() == 4 && frames_[0].key == "header" && frames_[1].key == "locations" &&
           frames_[2].kind == FrameKind::Array && frames_[3].kind == FrameKind::Object;
  }

  void startFile() {
    folder_.clear();
    name_.clear();
    hasFolder_ = hasName_ = false;
    size_ = 0;
    mtime_ = 0;
    crc_.reset();
  }

  bool finishFile() {
    ++contents_.files;
    if (!hasFolder_ || !hasName_) {
      return fail("file " + std::to_string(contents_.files) + " has no folder or no name");
    }
    restoreEscapedBytes(folder_);
    restoreEscapedBytes(name_);
    catalog_.add(folder_, name_, size_, mtime_, crc_);
    if (cancel_ != nullptr && (contents_.files & 0xFFF) == 0 && cancel_->load()) {
      return fail("cancelled");
    }
    return true;
  }

  bool scalar(std::string_view text, std::optional<uint64_t> number, std::optional<bool> flag) {
    if (frames_.empty()) return fail("the document is not an object");
    if (inFileObject()) return fileField(frames_.back().key, text, number);
    if (inLocationObject()) locationField(frames_.back().key, text, number, flag);
    return true;
  }

  bool fileField(const std::string& key, std::string_view text, std::optional<uint64_t> number) {
    const std::string where = "file " + std::to_string(contents_.files + 1) + ": ";
    if (key == "folder") {
      folder_.assign(text);
      hasFolder_ = true;
    } else if (key == "name") {
      name_.assign(text);
      hasName_ = !text.empty();
    } else if (key == "size") {
      if (!number) return fail(where + "the size is not a whole number of bytes");
      size_ = *number;
    } else if (key == "modified") {
      const std::optional<int64_t> time = parseIsoTime(text);
      if (!time) return fail(where + "the time \"" + std::string(text) + "\" is not ISO 8601");
      mtime_ = *time;
    } else if (key == "crc32") {
      crc_ = parseCrcText(text);
    }
    return true;
  }

  void locationField(const std::string& key, std::string_view text, std::optional<uint64_t> number,
                     std::optional<bool> flag) {
    ScanLocation& location = contents_.locations.back();
    if (key == "folder") {
      location.folder.assign(text);
      restoreEscapedBytes(location.folder);
      catalog_.addRoot(location.folder);
    } else if (key == "subfolders" && flag) {
      location.subFolders = *flag;
    } else if (key == "types" && !text.empty()) {
      location.fileTypes.assign(text);
    } else if (key == "level" && number && *number <= 32767) {
      location.level = static_cast<int>(*number);
    }
  }

  Catalog& catalog_;
  JsonListingContents& contents_;
  const CancelFlag* cancel_;
  std::vector<Frame> frames_;
  bool rootOpened_ = false, sawFiles_ = false;
  std::string problem_;
  std::string folder_, name_;
  bool hasFolder_ = false, hasName_ = false;
  uint64_t size_ = 0;
  int64_t mtime_ = 0;
  std::optional<uint32_t> crc_;
};

// Why a parse failed, in the user's terms: a NUL byte where the parser
// stopped is named as such, since the parser itself takes it for the end.
std::string parseProblem(const rapidjson::ParseResult& result, const ChunkStream& stream) {
  const std::string where = " (at byte " + std::to_string(result.Offset()) + ")";
  if (!stream.atEnd() && stream.Peek() == '\0') return "it holds a NUL byte" + where;
  return rapidjson::GetParseError_En(result.Code()) + where;
}

}  // namespace

bool readJsonListing(const std::string& path, Catalog& catalog, JsonListingContents& contents,
                     std::string& error, const CancelFlag* cancel) {
  ByteReader file;
  if (const int reason = file.open(path); reason != 0) {
    error = "cannot read '" + path + "': " + std::strerror(reason);
    return false;
  }
  ChunkStream stream(file);
  ListingHandler handler(catalog, contents, cancel);
  rapidjson::Reader reader;
  // Iterative: the depth of a hostile document costs heap, never the stack.
  const rapidjson::ParseResult result =
      reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag>(stream,
                                                                                       handler);
  if (stream.error() != 0) {
    error = "cannot read '" + path + "': " + std::strerror(stream.error());
    return false;
  }
  const std::string noListing = "'" + path + "' is no listing: ";
  if (!handler.problem().empty()) {
    error = noListing + handler.problem();
    return false;
  }
  if (result.IsError()) {
    error = noListing + parseProblem(result, stream);
    return false;
  }
  stream.skipBlanks();
  if (stream.error() != 0) {
    error = "cannot read '" + path + "': " + std::strerror(stream.error());
    return false;
  }
  if (!stream.atEnd()) {
    error = noListing + "bytes follow the document (at byte " + std::to_string(stream.Tell()) + ")";
    return false;
  }
  if (!handler.sawFiles()) {
    error = noListing + "it has no \"files\" array";
    return false;
  }
  return true;
}

}  // namespace tallyfold
