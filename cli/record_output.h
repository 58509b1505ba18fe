#pragma once
// The --records dump: one scan record a line (or NUL-terminated) in walk order,
// to standard output or to a file replaced atomically.

#include <string>

#include "scan/scan_run.h"

namespace tallyfold::cli {

// An empty path means standard output. False, with a message in error, when
// the records could not be written.
bool writeRecords(const ScanResult& scan, bool nulTerminated, const std::string& path,
                  std::string& error);

}  // namespace tallyfold::cli
