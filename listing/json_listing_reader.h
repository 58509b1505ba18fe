#pragma once
// Reads a JSON listing back with a streaming (SAX) parser: the files go
// straight into a compact catalog, never into a document tree, so a listing
// of a million files reads in about the memory of its paths.

#include <string>
#include <vector>

#include "listing/catalog.h"
#include "scan/run_control.h"
#include "scan/scan_location.h"

namespace tallyfold {

struct JsonListingContents {
  std::vector<ScanLocation> locations;  // from the header
  uint64_t files = 0;
};

// Adds the listing's files to the catalog (keys are full paths) and its
// locations' folders as the catalog's roots. False, with a message in error
// that says where and what went wrong, when the file cannot be read or is no
// listing; the catalog then holds what was read before the fault.
bool readJsonListing(const std::string& path, Catalog& catalog, JsonListingContents& contents,
                     std::string& error, const CancelFlag* cancel = nullptr);

}  // namespace tallyfold
