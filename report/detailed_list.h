#pragma once
// The detailed list: one block per folder (separator, bold heading, a row per
// file with the chosen columns, folder summary), then the total summary.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "report/file_detail_reader.h"
#include "report/read_ahead.h"
#include "report/report.h"

namespace tallyfold {

// The width of a row with the chosen columns; also the separator length.
int64_t detailedLineWidth(const ReportSettings& settings);

// The run's state shared by the record pass and the block writer.
struct DetailedListRun {
  const ReportInput& input;
  ReportSink& sink;
  RunControl& control;
  int64_t lineWidth = 0;
  ReportCounters counters;
  // Hashes the next files of a block while a row is written; started by the
  // first block that needs it.
  std::unique_ptr<ReadAhead> readAhead;
  // The details of the row in hand, kept from row to row for their buffers.
  FileDetails details;
};

ReportCounters writeDetailedList(const ReportInput& input, ReportSink& sink, RunControl& control);

// Writes one folder's block. folder: the folder path without its trailing "/"
// (but "/" itself); files: the folder's file records in row order.
void writeFolderBlock(DetailedListRun& run, std::string_view folder,
                      const std::vector<RecordRef>& files);

}  // namespace tallyfold
