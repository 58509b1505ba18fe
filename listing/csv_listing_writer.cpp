#include "listing/csv_listing_writer.h"

#include "listing/name_bytes.h"
#include "platform/iso_time.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr size_t kFlushBytes = size_t{1} << 16;

bool needsQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

CsvListingWriter::CsvListingWriter(ByteOutput output, const std::vector<ListingColumn>& columns)
    : output_(std::move(output)), columnCount_(columns.size()) {
  for (std::string_view name : {"folder", "name", "size", "modified"}) addField(name);
  for (ListingColumn column : columns) addField(listingColumnName(column));
  addField("folder_raw");
  addField("name_raw");
  endRow();
}

void CsvListingWriter::writeFile(const ListedFile& file) {
  addText(file.folder);
  addText(file.name);
  addField(std::to_string(file.size));
  addField(isoLocalTime(file.mtime));
  for (size_t i = 0; i < columnCount_; ++i) addText(file.values[i]);
  addField(percentEscapedBytes(file.folder));
  addField(percentEscapedBytes(file.name));
  endRow();
  if (buffer_.size() >= kFlushBytes) {
    output_(buffer_);
    buffer_.clear();
  }
}

void CsvListingWriter::finish() {
  output_(buffer_);
  buffer_.clear();
}

void CsvListingWriter::addText(std::string_view text) {
  addField(isValidUtf8(text) ? text : std::string_view(readableUtf8(text)));
}

void CsvListingWriter::addField(std::string_view text) {
  if (rowStarted_) buffer_.push_back(',');
  rowStarted_ = true;
  if (!needsQuotes(text)) {
    buffer_.append(text);
    return;
  }
  buffer_.push_back('"');
  for (char c : text) {
    if (c == '"') buffer_.push_back('"');
    buffer_.push_back(c);
  }
  buffer_.push_back('"');
}

void CsvListingWriter::endRow() {
  buffer_ += "\r\n";
  rowStarted_ = false;
}

}  // namespace tallyfold
