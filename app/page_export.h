#pragma once
// The browsable page of a scan, for both front ends: the whole scan in one
// self-contained HTML file, with the detail columns the report settings
// switch on. The file is replaced atomically, and never by a page of a run
// that was stopped.

#include <cstdint>
#include <functional>
#include <string>

#include "app/listing_export.h"
#include "page/page_data.h"

namespace tallyfold {

// Told how many of the files are done, out of all of them.
using PageProgress = std::function<void(uint64_t done, uint64_t total)>;

// The detail columns of every file of the store, in the store's order, read
// from the files themselves, or taken from stored when it is given. Stops
// early on a cancel.
PageColumnTexts readPageColumns(const RecordStore& store, const std::vector<ListingColumn>& columns,
                                const DetailSource* stored, RunControl& control,
                                std::vector<ReadFailure>& failures,
                                const PageProgress& progress = {});

// scanTime: when the scan started (seconds since the epoch), for the header.
ListingResult writeBrowsablePageFile(const ScanResult& scan, const RunSettings& run,
                                     int64_t scanTime, const std::string& path, RunControl& control,
                                     const PageProgress& progress = {});

}  // namespace tallyfold
