#include "listing/catalog_compare.h"

namespace tallyfold {

namespace {

bool differs(const CatalogEntry& older, const CatalogEntry& newer, const CrcLookup& crcOfNewer) {
  if (older.size != newer.size || older.mtime != newer.mtime) return true;
  if (!older.hasCrc) return false;
  std::optional<uint32_t> crc;
  if (newer.hasCrc) {
    crc = newer.crc;
  } else if (crcOfNewer) {
    crc = crcOfNewer(newer);
  }
  return crc && *crc != older.crc;
}

}  // namespace

CompareCounts compareCatalogs(const Catalog& older, const Catalog& newer,
                              const ChangeVisitor& visit, const CrcLookup& crcOfNewer) {
  CompareCounts counts;
  const auto& before = older.entries();
  const auto& after = newer.entries();
  size_t i = 0, j = 0;
  while (i < before.size() || j < after.size()) {
    if (j == after.size() || (i < before.size() && before[i].key() < after[j].key())) {
      ++counts.removed;
      visit(ChangeMark::Removed, before[i++].key());
    } else if (i == before.size() || after[j].key() < before[i].key()) {
      ++counts.added;
      visit(ChangeMark::Added, after[j++].key());
    } else {
      if (differs(before[i], after[j], crcOfNewer)) {
        ++counts.changed;
        visit(ChangeMark::Changed, after[j].key());
      }
      ++i;
      ++j;
    }
  }
  return counts;
}

}  // namespace tallyfold
