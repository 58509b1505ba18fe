#pragma once
// What a listing says about itself: the program that wrote it, when the scan
// ran, the locations it walked with their options, and its detail columns.

#include <cstdint>
#include <string>
#include <vector>

#include "listing/listing_columns.h"
#include "scan/scan_location.h"

namespace tallyfold {

struct ListingHeader {
  std::string program = "tallyfold";
  std::string version;
  int64_t scanTime = 0;                 // seconds since the epoch
  std::vector<ScanLocation> locations;  // the scanned ones, in list order
  std::vector<ListingColumn> columns;
};

// The program version the listings name.
std::string listingProgramVersion();

}  // namespace tallyfold
