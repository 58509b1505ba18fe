#include "report/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_facts.h"
#include "report/collation.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

// Where the scheme leaves 62 elements of keys 0, 1, 2 repeating (tags in
// input order "A".."Z", "a".."z", "0".."9"): worked out once and kept, so a
// change of pivot or cut-off shows.
const char* const kAscendingOf62 = "S852zwtqnkhAbYVeJMDGPKliQE0oHruxf3cZN6WBT9F14C7ymvspIjgLdaXOUR";
const char* const kDescendingOf62 =
    "LgUX4RjyOmdFvCs1p7Ia0flicxorWZu3TQN6KHE9B2z58wetqnkhAbYVSPMJGD";

// Elements of a sort whose key ties: the tag tells equal keys apart.
struct Tagged {
  int key;
  char tag;
  bool operator==(const Tagged&) const = default;
};

std::string tagsOf(const std::vector<Tagged>& a) {
  std::string tags;
  for (const Tagged& t : a) tags += t.tag;
  return tags;
}

std::vector<Tagged> sortedByKey(std::vector<Tagged> a, bool ascending) {
  sortRange(a, [ascending](const Tagged& x, const Tagged& y) {
    return ascending ? x.key < y.key : x.key > y.key;
  });
  return a;
}

TEST(SortRange, EqualKeysEndWhereTheSchemePutsThem) {
  // Up to 61 elements go by insertion alone, which keeps equal keys in the
  // order they came, in both directions.
  std::vector<Tagged> small = {{2, 'a'}, {1, 'b'}, {2, 'c'}, {0, 'd'}, {1, 'e'}, {2, 'f'}};
  EXPECT_EQ(tagsOf(sortedByKey(small, true)), "dbeacf");
  EXPECT_EQ(tagsOf(sortedByKey(small, false)), "acfbed");
  EXPECT_EQ(tagsOf(sortedByKey({}, true)), "");
  EXPECT_EQ(tagsOf(sortedByKey({{5, 'x'}}, true)), "x");

  // 62 elements are partitioned around the middle one first, which moves
  // equal keys about: keys 0, 1, 2 repeating, tagged A-Z, a-z, 0-9 in order.
  const std::string tags = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<Tagged> many;
  for (size_t i = 0; i < tags.size(); ++i) many.push_back({static_cast<int>(i % 3), tags[i]});
  EXPECT_EQ(tagsOf(sortedByKey(many, true)), kAscendingOf62);
  EXPECT_EQ(tagsOf(sortedByKey(many, false)), kDescendingOf62);
}

// Epoch seconds of a local date and time.
int64_t localSeconds(int day, int hour) {
  std::tm parts{};
  parts.tm_year = 2024 - 1900;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

class FolderFiles : public testing::Test {
 protected:
  void add(std::string_view name, uint64_t size, int64_t mtime) {
    FileEntry facts;
    facts.size = size;
    facts.mtime = mtime;
    files.push_back(store.addFile(folder, name, facts));
  }
  std::vector<std::string> names(std::string_view field, bool ascending) {
    std::vector<std::string> names;
    for (uint32_t file : sortFolderFiles(store, folder, files, field, ascending, collation)) {
      names.emplace_back(store.name({folder, file}));
    }
    return names;
  }

  const Collation collation{""};
  RecordStore store;
  uint32_t folder = store.addFolder("/data/music/");
  std::vector<uint32_t> files;
};

TEST_F(FolderFiles, NameSizeAndDateOrders) {
  add("big.bin", 1000, localSeconds(9, 12));
  add("Small.bin", 900, localSeconds(10, 18));
  add("alpha.txt", 5000, localSeconds(10, 8));
  using List = std::vector<std::string>;
  EXPECT_EQ(names("Name", true), (List{"alpha.txt", "big.bin", "Small.bin"}));
  EXPECT_EQ(names("Name", false), (List{"Small.bin", "big.bin", "alpha.txt"}));
  EXPECT_EQ(names("no such choice", true), names("Name", true));
  // 900 bytes before 1000: the zero-padded digits compare like numbers.
  EXPECT_EQ(names("Size", true), (List{"Small.bin", "big.bin", "alpha.txt"}));
  // The same day at different times goes by name.
  EXPECT_EQ(names("Date", true), (List{"big.bin", "alpha.txt", "Small.bin"}));
  EXPECT_EQ(names("Date", false), (List{"Small.bin", "alpha.txt", "big.bin"}));
}

TEST_F(FolderFiles, DaysOfAnyYearSortInTimeOrder) {
  struct ZoneReset {  // reads TZ again once the variable is back
    ~ZoneReset() { tzset(); }
  } reset;
  test::EnvironmentValue zone("TZ", "UTC");
  tzset();
  auto utcDay = [](int year, int month, int day) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = 12;
    return static_cast<int64_t>(timegm(&parts));
  };
  // From the earliest day to the latest; the names run the other way. tmpfs
  // keeps 64-bit seconds, so the files themselves carry these times.
  const std::pair<const char*, int64_t> byDay[] = {
      {"j", utcDay(-5000, 1, 1)},
      {"i", utcDay(-1, 12, 31)},
      {"h", -1},
      {"g", 1700000000},
      {"f", utcDay(9999, 12, 31)},
      {"e", utcDay(10000, 1, 1)},
      {"d", utcDay(214749, 6, 1)},  // where yyyymmdd no longer fits 32 bits
      {"c", utcDay(300000, 1, 1)},
      {"b", utcDay(2147483646, 1, 1)},
      {"a", 67768036191676799},  // the last second of year INT_MAX, shown clamped
  };
  test::EnvironmentValue shm("TMPDIR", "/dev/shm");
  std::optional<test::TempDir> dir;
  try {
    dir.emplace();
  } catch (const std::exception&) {
    GTEST_SKIP() << "no /dev/shm here";
  }
  std::vector<std::string> oldestFirst;
  for (const auto& [name, seconds] : byDay) {
    const std::string path = dir->writeFile(name);
    test::TempDir::setMtime(path, seconds);
    const std::optional<FileFacts> facts = statPath(path);
    ASSERT_TRUE(facts && facts->mtime == seconds) << name;
    add(name, 1, facts->mtime);
    oldestFirst.emplace_back(name);
  }
  EXPECT_EQ(names("Date", true), oldestFirst);
  std::reverse(oldestFirst.begin(), oldestFirst.end());
  EXPECT_EQ(names("Date", false), oldestFirst);
  EXPECT_EQ(names("Name", true), oldestFirst);
}

TEST_F(FolderFiles, NamesThatDifferOnlyInCaseTieAndKeepTheirPlace) {
  add("b.txt", 100, localSeconds(2, 10));
  add("A.txt", 100, localSeconds(1, 10));
  add("a.txt", 100, localSeconds(1, 11));
  add("c.txt", 0, localSeconds(1, 9));
  add("B.txt", 0, localSeconds(2, 9));
  using List = std::vector<std::string>;
  // A name ties only with a name of the same size: the key goes on with it.
  EXPECT_EQ(names("Name", true), (List{"A.txt", "a.txt", "B.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(names("Name", false), (List{"c.txt", "b.txt", "B.txt", "A.txt", "a.txt"}));
  EXPECT_EQ(names("Size", true), (List{"B.txt", "c.txt", "A.txt", "a.txt", "b.txt"}));
  EXPECT_EQ(names("Size", false), (List{"b.txt", "A.txt", "a.txt", "c.txt", "B.txt"}));
  EXPECT_EQ(names("Date", true), (List{"A.txt", "a.txt", "c.txt", "B.txt", "b.txt"}));
}

class WholeList : public testing::Test {
 protected:
  // Adds a folder with its folder record and one file record per name.
  void folder(std::string path, std::vector<std::string> names, uint64_t size = 1) {
    const uint32_t index = store.addFolder(std::move(path));
    records.push_back({index, RecordRef::kFolderRecord});
    for (const std::string& name : names) {
      FileEntry facts;
      facts.size = size;
      records.push_back({index, store.addFile(index, name, facts)});
    }
  }

  const Collation collation{""};
  RecordStore store;
  std::vector<RecordRef> records;
};

TEST_F(WholeList, FoldersInTreeOrderEachWithItsOwnRecords) {
  folder("/r/2024/", {"b"});
  folder("/r/2024/x/", {"in x"});
  folder("/r/2024-01/", {"jan"});
  folder("/r/abc/", {"lower"});
  folder("/r/", {"notes", "note", "!bang", "#hash", "Note1"});
  folder("/r/Résumé/", {"cv"});
  folder("/r/Resume/", {"cv"});
  folder("/r/ABC/", {"upper"});
  folder("/r/ABC/sub/", {"deep"});
  folder("/r/!first/", {"f"});
  std::vector<std::string> texts;
  for (RecordRef record : sortRecords(store, records, collation)) {
    const std::string text = store.recordText(record);
    texts.push_back(text.substr(0, text.rfind('|')));  // without the size field
  }
  const std::string folder = "|" + std::string(kFolderRecordName);
  std::vector<std::string> expected{"/r/|!bang", "/r/|#hash", "/r/" + folder,
                                    "/r/|note",  "/r/|Note1", "/r/|notes"};
  const std::pair<std::string, std::string> foldersInOrder[] = {
      {"!first", "f"},    {"2024", "b"},    {"2024/x", "in x"},
      {"2024-01", "jan"}, {"ABC", "upper"}, {"ABC/sub", "deep"},
      {"abc", "lower"},   {"Resume", "cv"}, {"Résumé", "cv"}};
  for (const auto& [path, file] : foldersInOrder) {
    expected.push_back("/r/" + path + "/" + folder);
    expected.push_back("/r/" + path + "/|" + file);
  }
  EXPECT_EQ(texts, expected);
}

TEST_F(WholeList, FoldersThatTieUnderTheCollationAndSharedLeadingParts) {
  // "AB" and "ab" tie under the collation: their bytes decide, so the two
  // folders never mix. Two entries of "/s/" (overlapping locations) share a
  // place; names that differ only in case keep the order they came in.
  folder("/s/ab/", {"x", "X"});
  folder("/s/", {"m"});
  folder("/s/AB/", {"y"});
  folder("/s/ab/c/", {"z"});
  folder("/s/a/", {"w"});
  folder("/s/", {"M"});
  folder("/t/", {"v"});
  std::vector<std::string> texts;
  for (RecordRef record : sortRecords(store, records, collation)) {
    texts.push_back(store.recordText(record));
  }
  const std::string mark = "|" + std::string(kFolderRecordName) + "|00000000000000000";
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "/s/" + mark,
                       "/s/" + mark,
                       "/s/|m|000000000000001",
                       "/s/|M|000000000000001",
                       "/s/a/" + mark,
                       "/s/a/|w|000000000000001",
                       "/s/AB/" + mark,
                       "/s/AB/|y|000000000000001",
                       "/s/ab/" + mark,
                       "/s/ab/|x|000000000000001",
                       "/s/ab/|X|000000000000001",
                       "/s/ab/c/" + mark,
                       "/s/ab/c/|z|000000000000001",
                       "/t/" + mark,
                       "/t/|v|000000000000001",
                   }));

  // A cancel before the sort hands the records back as they came.
  CancelFlag cancel{true};
  const std::vector<RecordRef> unsorted = sortRecords(store, records, collation, &cancel);
  ASSERT_EQ(unsorted.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_TRUE(unsorted[i].folder == records[i].folder && unsorted[i].file == records[i].file);
  }
}

}  // namespace
}  // namespace tallyfold
