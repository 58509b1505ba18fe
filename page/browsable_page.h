#pragma once
// The browsable page: one HTML file that holds a whole scan and lets a reader
// without Tallyfold browse its folders, sort, search and export, offline. The
// file is self-contained: its script and style are inline, its data are the
// compact texts of page/page_data.h in non-script blocks, and a
// Content-Security-Policy lets nothing else run or load.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_columns.h"
#include "page/page_data.h"
#include "scan/scan_location.h"

namespace tallyfold {

// What the page's header says of the scan.
struct PageHeader {
  std::string program = "tallyfold";
  std::string version;
  int64_t scanTime = 0;                 // seconds since the epoch
  std::vector<ScanLocation> locations;  // the scanned ones, in list order
  std::vector<ListingColumn> columns;   // the detail columns, as in the data
};

using PageOutput = std::function<void(std::string_view)>;

// Writes the whole page to the output, in a few large pieces.
void writeBrowsablePage(const PageHeader& header, const PageData& data, const PageOutput& output);

// The header as the JSON object the page reads, with "<" written as \u003c.
std::string pageHeaderJson(const PageHeader& header, const PageData& data);

// The Content-Security-Policy of the page: nothing may load, and only the
// page's own script and style (by their digests) may run.
std::string pagePolicy(std::string_view script, std::string_view style);

}  // namespace tallyfold
