#include "cli/record_output.h"

#include <cstdio>
#include <functional>

#include "platform/text_file.h"

namespace tallyfold::cli {

namespace {

constexpr size_t kBufferBytes = size_t{1} << 20;

// Hands the records' text on in buffers of about a megabyte.
bool emitRecords(const ScanResult& scan, bool nulTerminated,
                 const std::function<bool(std::string_view)>& write) {
  const char terminator = nulTerminated ? '\0' : '\n';
  std::string buffer;
  buffer.reserve(kBufferBytes);
  for (RecordRef record : scan.records) {
    buffer.append(scan.store.folderPath(record));
    buffer.push_back('|');
    buffer.append(scan.store.name(record));
    buffer.push_back('|');
    buffer.append(scan.store.sizeField(record));
    buffer.push_back(terminator);
    if (buffer.size() >= kBufferBytes - 4096) {
      if (!write(buffer)) return false;
      buffer.clear();
    }
  }
  return write(buffer);
}

}  // namespace

bool writeRecords(const ScanResult& scan, bool nulTerminated, const std::string& path,
                  std::string& error) {
  if (path.empty()) {
    const bool written = emitRecords(scan, nulTerminated, [](std::string_view bytes) {
      return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    });
    if (written && std::fflush(stdout) == 0) return true;
    error = "cannot write to standard output";
    return false;
  }
  AtomicFileWriter file(path);
  emitRecords(scan, nulTerminated, [&file](std::string_view bytes) {
    file.write(bytes);
    return file.isOpen();
  });
  if (file.commit()) return true;
  error = file.error();
  return false;
}

}  // namespace tallyfold::cli
