#pragma once
// The columns of the machine-readable listings (CSV and JSON). Every listed
// file has its folder, name, size in bytes and modification time; the detail
// columns follow as the report settings switch them on, each in machine form:
// no units, no padding, no change of case.

#include <string>
#include <string_view>
#include <vector>

#include "report/file_detail_reader.h"
#include "report/report_settings.h"

namespace tallyfold {

enum class ListingColumn {
  Attributes,  // the attribute letters without blanks: "RA", "" for none
  Owner,       // the owner's user name, or the number of an unknown id
  Version,     // "5.1.2600.0", empty for a file without a version resource
  Crc32,       // 8 upper-case hex digits, empty when the bytes cannot be read
  Sha256,      // 64 lower-case hex digits, empty when the bytes cannot be read
  Title,
  Artist,
  Album,
  Year,
  Genre,  // the genre's name
  Comment,
  Duration,    // seconds with three decimals: "185.002"
  Bitrate,     // kbit/s, a whole number
  SampleRate,  // Hz
  Channels,
  Width,  // pixels
  Height,
  Taken,  // ISO 8601, with the offset where the file has one
  Camera,
  Codec,  // "H.264 / AAC", "FLAC", "JPEG"
};

// The detail columns the settings switch on, in listing order.
std::vector<ListingColumn> listingColumnsOf(const ReportSettings& settings);

// The column's name in the CSV header row and as a JSON key.
std::string_view listingColumnName(ListingColumn column);

// The column's heading as a reader sees it: "Sample rate", "CRC-32".
std::string_view listingColumnTitle(ListingColumn column);

// Whether the column holds a number (written as a JSON number, or null when
// the file has none).
bool isNumberColumn(ListingColumn column);

// What the file-detail reader reads for these columns: every file's CRC-32,
// hidden and system files included.
FileDetailChoice detailChoiceOf(const std::vector<ListingColumn>& columns);

// Fills values with one text per column, in machine form, from the details
// read and the file's entry.
void fillListingValues(const std::vector<ListingColumn>& columns, const FileEntry& entry,
                       const FileDetails& details, std::vector<std::string>& values);

}  // namespace tallyfold
