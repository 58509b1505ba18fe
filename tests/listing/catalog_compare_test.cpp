// The comparison of two catalogs: keys below the one root, duplicates, and
// what counts as a change.

#include "listing/catalog_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace tallyfold {
namespace {

std::string changes(Catalog& older, Catalog& newer, const CrcLookup& lookup = {}) {
  older.sortByKey();
  newer.sortByKey();
  std::string text;
  const CompareCounts counts = compareCatalogs(
      older, newer,
      [&text](ChangeMark mark, std::string_view key) {
        text += static_cast<char>(mark);
        text.append(key);
        text += ' ';
      },
      lookup);
  return text + std::to_string(counts.added) + "/" + std::to_string(counts.removed) + "/" +
         std::to_string(counts.changed);
}

TEST(CatalogCompareTest, MatchesByPathBytesBelowTheRoot) {
  Catalog older, newer;
  older.addRoot("/old");
  newer.addRoot("/new/");
  older.add("/old", "b", 1, 10, std::nullopt);
  older.add("/old/sub", "a", 2, 10, std::nullopt);
  older.add("/old", "\xFF", 3, 10, std::nullopt);
  older.add("/old", "B", 3, 10, std::nullopt);
  newer.add("/new/sub/", "a", 2, 11, std::nullopt);
  newer.add("/new/", "b", 1, 10, std::nullopt);
  newer.add("/new/", "\xFF", 3, 10, std::nullopt);
  newer.add("/new/", "c", 3, 10, std::nullopt);
  older.useKeysBelowRoot();
  newer.useKeysBelowRoot();
  // Byte order: "B" < "c" < "sub/a" < "\xFF"; "B" and "b" are two files.
  EXPECT_EQ(changes(older, newer), "-B +c ~sub/a 1/1/1");
}

TEST(CatalogCompareTest, FullPathsWithoutOneRootAndDuplicatesOnce) {
  Catalog older, newer;
  older.add("/a", "x", 1, 1, std::nullopt);
  older.add("/a/", "x", 1, 1, std::nullopt);  // overlapping locations list it twice
  newer.add("/b", "x", 1, 1, std::nullopt);
  EXPECT_EQ(changes(older, newer), "-/a/x +/b/x 1/1/0");
}

TEST(CatalogCompareTest, ChecksumsCountOnlyWhenBothSidesHaveOne) {
  Catalog older, newer;
  older.add("/r", "crc-differs", 1, 1, 0x11111111u);
  older.add("/r", "crc-same", 1, 1, 0x22222222u);
  older.add("/r", "no-old-crc", 1, 1, std::nullopt);
  older.add("/r", "asked", 1, 1, 0x33333333u);
  older.add("/r", "unreadable", 1, 1, 0x44444444u);
  newer.add("/r", "crc-differs", 1, 1, 0x99999999u);
  newer.add("/r", "crc-same", 1, 1, 0x22222222u);
  newer.add("/r", "no-old-crc", 1, 1, 0x55555555u);
  newer.add("/r", "asked", 1, 1, std::nullopt);
  newer.add("/r", "unreadable", 1, 1, std::nullopt);
  std::string asked;
  auto lookup = [&asked](const CatalogEntry& entry) -> std::optional<uint32_t> {
    asked += std::string(entry.fullPath()) + " ";
    if (entry.fullPath() == "/r/asked") return 0x12345678u;
    return std::nullopt;
  };
  EXPECT_EQ(changes(older, newer, lookup), "~/r/asked ~/r/crc-differs 0/0/2");
  EXPECT_EQ(asked, "/r/asked /r/unreadable ");
}

}  // namespace
}  // namespace tallyfold
