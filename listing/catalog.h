#pragma once
// The files of one side of a comparison, kept compact: each path's bytes once
// in large blocks, and a fixed-size entry per file (no string per file), so
// a million files cost their paths plus 40 bytes each.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/records.h"

namespace tallyfold {

struct CatalogEntry {
  const char* path = nullptr;  // the full path: folder, "/", name
  uint32_t pathLength = 0;
  uint32_t keySkip = 0;  // bytes of the path before the compare key
  uint64_t size = 0;
  int64_t mtime = 0;
  uint32_t crc = 0;
  bool hasCrc = false;

  std::string_view fullPath() const { return {path, pathLength}; }
  std::string_view key() const { return {path + keySkip, pathLength - keySkip}; }
};

class Catalog {
 public:
  // folder: with or without its trailing "/".
  void add(std::string_view folder, std::string_view name, uint64_t size, int64_t mtime,
           std::optional<uint32_t> crc);
  // Every file record of a scan.
  void addScan(const RecordStore& store, const std::vector<RecordRef>& records);

  // The folders of the locations the files came from, each ending in "/".
  void addRoot(std::string_view folder);
  const std::vector<std::string>& roots() const { return roots_; }

  // Compare keys become the paths below the one root (paths not below it
  // keep their full path as key).
  void useKeysBelowRoot();
  // Sorts by key bytes; of files with the same key only the first is kept.
  void sortByKey();

  const std::vector<CatalogEntry>& entries() const { return entries_; }
  std::vector<CatalogEntry>& entries() { return entries_; }

 private:
  char* reserve(size_t bytes);

  std::vector<CatalogEntry> entries_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* blockNext_ = nullptr;
  size_t blockFree_ = 0;
  std::vector<std::string> roots_;
};

// The compact CRC of an 8-digit hex text; empty for any other text.
std::optional<uint32_t> parseCrcText(std::string_view text);

}  // namespace tallyfold
