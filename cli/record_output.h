#pragma once
// The --records dump: one scan record a line (or NUL-terminated) in walk order.

#include <cstdio>

#include "scan/scan_run.h"

namespace tallyfold::cli {

// False when the output could not be written.
bool writeRecords(const ScanResult& scan, bool nulTerminated, std::FILE* out);

}  // namespace tallyfold::cli
