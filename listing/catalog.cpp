#include "listing/catalog.h"

#include <algorithm>
#include <cstring>

#include "report/sorting.h"

namespace tallyfold {

namespace {

constexpr size_t kBlockBytes = size_t{1} << 20;

}  // namespace

char* Catalog::reserve(size_t bytes) {
  if (bytes > blockFree_) {
    const size_t size = std::max(bytes, kBlockBytes);
    blocks_.push_back(std::make_unique<char[]>(size));
    blockNext_ = blocks_.back().get();
    blockFree_ = size;
  }
  char* place = blockNext_;
  blockNext_ += bytes;
  blockFree_ -= bytes;
  return place;
}

void Catalog::add(std::string_view folder, std::string_view name, uint64_t size, int64_t mtime,
                  std::optional<uint32_t> crc) {
  const bool slash = folder.empty() || folder.back() != '/';
  const size_t length = folder.size() + (slash ? 1 : 0) + name.size();
  char* place = reserve(length);
  std::memcpy(place, folder.data(), folder.size());
  if (slash) place[folder.size()] = '/';
  std::memcpy(place + length - name.size(), name.data(), name.size());
  CatalogEntry entry;
  entry.path = place;
  entry.pathLength = static_cast<uint32_t>(length);
  entry.size = size;
  entry.mtime = mtime;
  entry.hasCrc = crc.has_value();
  entry.crc = crc.value_or(0);
  entries_.push_back(entry);
}

void Catalog::addScan(const RecordStore& store, const std::vector<RecordRef>& records) {
  entries_.reserve(entries_.size() + records.size());
  for (const RecordRef& record : records) {
    if (record.isFolderRecord()) continue;
    const FileEntry& file = store.file(record);
    add(store.folderPath(record), store.name(record), file.size, file.mtime, std::nullopt);
  }
}

void Catalog::addRoot(std::string_view folder) {
  std::string root(folder);
  if (root.empty() || root.back() != '/') root.push_back('/');
  roots_.push_back(std::move(root));
}

void Catalog::useKeysBelowRoot() {
  if (roots_.size() != 1) return;
  const std::string_view root = roots_.front();
  for (CatalogEntry& entry : entries_) {
    if (entry.fullPath().starts_with(root)) entry.keySkip = static_cast<uint32_t>(root.size());
  }
}

void Catalog::sortByKey() {
  sortRange(entries_,
            [](const CatalogEntry& a, const CatalogEntry& b) { return a.key() < b.key(); });
  auto sameKey = [](const CatalogEntry& a, const CatalogEntry& b) { return a.key() == b.key(); };
  entries_.erase(std::unique(entries_.begin(), entries_.end(), sameKey), entries_.end());
}

std::optional<uint32_t> parseCrcText(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | digit;
  }
  return value;
}

}  // namespace tallyfold
