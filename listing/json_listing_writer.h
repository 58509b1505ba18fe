#pragma once
// The JSON listing, written as a stream: one document,
//   {"header": {"program", "version", "format", "scanned", "locations",
//               "columns"},
//    "files": [{"folder", "name", "size", "modified", ...detail columns}, ...]}
// with one file object a line. Only the text of the current file is held;
// it goes on to the output in blocks.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "listing/listing_header.h"
#include "listing/listing_walk.h"

namespace tallyfold {

// Receives the document's bytes.
using ByteOutput = std::function<void(std::string_view)>;

// The version of the document's layout, in the header's "format".
inline constexpr int kJsonListingFormat = 1;

class JsonListingWriter : public ListingWriter {
 public:
  JsonListingWriter(ByteOutput output, const ListingHeader& header);
  ~JsonListingWriter() override;
  JsonListingWriter(const JsonListingWriter&) = delete;
  JsonListingWriter& operator=(const JsonListingWriter&) = delete;

  void writeFile(const ListedFile& file) override;
  // Closes the files array and the document and hands on what is left.
  void finish();

 private:
  struct Text;
  void flushIfFull();

  ByteOutput output_;
  std::vector<ListingColumn> columns_;
  std::unique_ptr<Text> text_;
  bool firstFile_ = true;
};

}  // namespace tallyfold
