// JSON listings (the old side of --compare): any bytes are read or refused
// with a message, never crash, and the answer does not depend on where the
// reader's chunk boundary falls (blanks in front change nothing).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "listing/catalog.h"
#include "listing/json_listing_reader.h"

namespace {

struct Reading {
  bool read = false;
  std::string error;
  tallyfold::JsonListingContents contents;
  size_t entries = 0;
};

Reading readListing(std::string_view bytes) {
  Reading reading;
  tallyfold::Catalog catalog;
  reading.read = tallyfold::readJsonListing(tallyfold::fuzz::inputFile(bytes), catalog,
                                            reading.contents, reading.error);
  reading.entries = catalog.entries().size();
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  const std::string_view input = fuzz::asText(data, size);

  const Reading plain = readListing(input);
  FUZZ_CHECK(plain.read == plain.error.empty());
  FUZZ_CHECK(plain.entries <= plain.contents.files);
  if (plain.read) FUZZ_CHECK(plain.entries == plain.contents.files);

  const std::string padding = fuzz::chunkBoundaryPadding(input, ' ');
  if (!padding.empty()) {
    const Reading padded = readListing(padding + std::string(input));
    FUZZ_CHECK(padded.read == plain.read);
    FUZZ_CHECK(padded.contents.files == plain.contents.files);
    FUZZ_CHECK(padded.entries == plain.entries);
    FUZZ_CHECK(padded.contents.locations.size() == plain.contents.locations.size());
  }
  return 0;
}
