#include "cli/record_output.h"

#include <string>

namespace tallyfold::cli {

bool writeRecords(const ScanResult& scan, bool nulTerminated, std::FILE* out) {
  const char terminator = nulTerminated ? '\0' : '\n';
  std::string buffer;
  buffer.reserve(1 << 20);
  for (RecordRef record : scan.records) {
    buffer.append(scan.store.folderPath(record));
    buffer.push_back('|');
    buffer.append(scan.store.name(record));
    buffer.push_back('|');
    buffer.append(scan.store.sizeField(record));
    buffer.push_back(terminator);
    if (buffer.size() >= (1 << 20) - 4096) {
      if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) return false;
      buffer.clear();
    }
  }
  if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) return false;
  return std::fflush(out) == 0;
}

}  // namespace tallyfold::cli
