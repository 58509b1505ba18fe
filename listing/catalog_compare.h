#pragma once
// What changed between two catalogs: files added, removed, and changed in
// size, modification time, or checksum when both sides have one. A rename is
// a removal and an addition. One merge pass over both sides sorted by key.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "listing/catalog.h"

namespace tallyfold {

enum class ChangeMark : char { Added = '+', Removed = '-', Changed = '~' };

struct CompareCounts {
  uint64_t added = 0, removed = 0, changed = 0;
  bool any() const { return added + removed + changed != 0; }
};

using ChangeVisitor = std::function<void(ChangeMark mark, std::string_view key)>;
// The CRC of a file of the newer side that has none yet, asked only when the
// older side has one and size and time agree (a folder scan reads it then).
using CrcLookup = std::function<std::optional<uint32_t>(const CatalogEntry& newer)>;

// Both catalogs sorted by key (Catalog::sortByKey). Visits the changes in key
// order.
CompareCounts compareCatalogs(const Catalog& older, const Catalog& newer,
                              const ChangeVisitor& visit, const CrcLookup& crcOfNewer = {});

}  // namespace tallyfold
