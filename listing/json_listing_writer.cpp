#include "listing/json_listing_writer.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "listing/name_bytes.h"
#include "platform/iso_time.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr size_t kFlushBytes = size_t{1} << 16;

using Buffer = rapidjson::StringBuffer;
using JsonWriter = rapidjson::Writer<Buffer>;

// Valid UTF-8 goes through the library's escaping; a text with bytes that
// are not UTF-8 is written with their surrogate escapes.
void writeString(JsonWriter& writer, std::string_view text, std::string& scratch) {
  if (isValidUtf8(text)) {
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return;
  }
  scratch.clear();
  appendJsonString(scratch, text);
  writer.RawValue(scratch.data(), scratch.size(), rapidjson::kStringType);
}

void writeKey(JsonWriter& writer, std::string_view key) {
  writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
}

}  // namespace

struct JsonListingWriter::Text {
  Buffer buffer;
  JsonWriter writer{buffer};
  std::string scratch;
};

JsonListingWriter::JsonListingWriter(ByteOutput output, const ListingHeader& header)
    : output_(std::move(output)), columns_(header.columns), text_(std::make_unique<Text>()) {
  JsonWriter& w = text_->writer;
  std::string& scratch = text_->scratch;
  // The document's outer object is opened by hand: the writer below writes
  // one complete value at a time (the header, then each file).
  for (char c : std::string_view("{\"header\":")) text_->buffer.Put(c);
  w.StartObject();
  writeKey(w, "program");
  writeString(w, header.program, scratch);
  writeKey(w, "version");
  writeString(w, header.version, scratch);
  writeKey(w, "format");
  w.Int(kJsonListingFormat);
  writeKey(w, "scanned");
  writeString(w, isoLocalTime(header.scanTime), scratch);
  writeKey(w, "locations");
  w.StartArray();
  for (const ScanLocation& location : header.locations) {
    w.StartObject();
    writeKey(w, "folder");
    writeString(w, location.folder, scratch);
    writeKey(w, "subfolders");
    w.Bool(location.subFolders);
    writeKey(w, "types");
    writeString(w, location.fileTypes, scratch);
    writeKey(w, "level");
    w.Int(location.level);
    w.EndObject();
  }
  w.EndArray();
  writeKey(w, "columns");
  w.StartArray();
  for (ListingColumn column : columns_) writeString(w, listingColumnName(column), scratch);
  w.EndArray();
  w.EndObject();
  const std::string_view filesOpening = ",\n\"files\":[";
  for (char c : filesOpening) text_->buffer.Put(c);
}

JsonListingWriter::~JsonListingWriter() = default;

void JsonListingWriter::writeFile(const ListedFile& file) {
  Buffer& buffer = text_->buffer;
  JsonWriter& w = text_->writer;
  std::string& scratch = text_->scratch;
  if (!firstFile_) buffer.Put(',');
  firstFile_ = false;
  buffer.Put('\n');
  w.Reset(buffer);
  w.StartObject();
  writeKey(w, "folder");
  writeString(w, file.folder, scratch);
  writeKey(w, "name");
  writeString(w, file.name, scratch);
  writeKey(w, "size");
  w.Uint64(file.size);
  writeKey(w, "modified");
  writeString(w, isoLocalTime(file.mtime), scratch);
  for (size_t i = 0; i < columns_.size(); ++i) {
    writeKey(w, listingColumnName(columns_[i]));
    const std::string& value = file.values[i];
    if (!isNumberColumn(columns_[i])) {
      writeString(w, value, scratch);
    } else if (value.empty()) {
      w.Null();
    } else {
      // Digits with at most one point, as the column writes them.
      w.RawValue(value.data(), value.size(), rapidjson::kNumberType);
    }
  }
  w.EndObject();
  flushIfFull();
}

void JsonListingWriter::finish() {
  const std::string_view closing = "\n]}\n";
  for (char c : closing) text_->buffer.Put(c);
  output_({text_->buffer.GetString(), text_->buffer.GetSize()});
  text_->buffer.Clear();
}

void JsonListingWriter::flushIfFull() {
  if (text_->buffer.GetSize() < kFlushBytes) return;
  output_({text_->buffer.GetString(), text_->buffer.GetSize()});
  text_->buffer.Clear();
}

}  // namespace tallyfold
