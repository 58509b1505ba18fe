#pragma once
// The CSV listing (RFC 4180): UTF-8, a header row, CR LF line ends, a field
// quoted when it holds a comma, a quote or a line break (quotes doubled).
// Columns: folder, name, size, modified, the detail columns, then folder_raw
// and name_raw, which keep names that are not valid UTF-8 (listing/name_bytes.h).

#include <string>

#include "listing/json_listing_writer.h"
#include "listing/listing_walk.h"

namespace tallyfold {

class CsvListingWriter : public ListingWriter {
 public:
  CsvListingWriter(ByteOutput output, const std::vector<ListingColumn>& columns);
  void writeFile(const ListedFile& file) override;
  // Hands on what is left.
  void finish();

 private:
  void addField(std::string_view text);
  // A text field: bytes that are not UTF-8 shown as U+FFFD.
  void addText(std::string_view text);
  void endRow();

  ByteOutput output_;
  size_t columnCount_;
  std::string buffer_;
  bool rowStarted_ = false;
};

}  // namespace tallyfold
