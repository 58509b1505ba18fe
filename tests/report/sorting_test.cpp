#include "report/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "report/collation.h"

namespace tallyfold {
namespace {

// The sort written out step for step, with copies and a three-way comparison,
// as the yardstick for the order the library leaves equal elements in.
template <class T>
void plainSort(std::vector<T>& a, std::function<int(const T&, const T&)> compare, bool ascending) {
  auto before = [&](const T& x, const T& y) { return compare(x, y) * (ascending ? 1 : -1) < 0; };
  std::function<void(int, int)> quickSort = [&](int lo, int hi) {
    if (hi - lo <= 60) {
      for (int i = lo + 1; i <= hi; ++i) {
        T tmp = a[i];
        int j = i - 1;
        for (; j >= lo && before(tmp, a[j]); --j) a[j + 1] = a[j];
        a[j + 1] = tmp;
      }
      return;
    }
    while (lo < hi) {
      int mid = lo + (hi - lo) / 2, i = lo + 1, j = hi;
      T pivot = a[mid];
      a[mid] = a[lo];
      for (;;) {
        while (i < j && before(a[i], pivot)) ++i;
        while (j >= i && before(pivot, a[j])) --j;
        if (i >= j) break;
        std::swap(a[i++], a[j--]);
      }
      a[lo] = a[j];
      a[j] = pivot;
      if (j - lo <= hi - j) {
        quickSort(lo, j - 1);
        lo = j + 1;
      } else {
        quickSort(j + 1, hi);
        hi = j - 1;
      }
    }
  };
  quickSort(0, static_cast<int>(a.size()) - 1);
}

// Words that tie under the collation in many ways: "ab", "Ab", "aB", "AB".
std::vector<std::string> wordsWithTies(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> words(count);
  for (std::string& word : words) {
    for (size_t k = 0, length = 1 + random() % 2; k < length; ++k) {
      word.push_back(static_cast<char>((random() % 2 ? 'a' : 'A') + random() % 3));
    }
  }
  return words;
}

class Sorting : public testing::Test {
 protected:
  std::vector<std::string> byLibrary(std::vector<std::string> a, bool ascending) {
    sortStringArray(a, ascending, false, collation);
    return a;
  }
  std::vector<std::string> plainly(std::vector<std::string> a, bool ascending) {
    plainSort<std::string>(a, compare, ascending);
    return a;
  }
  std::vector<std::string> stably(std::vector<std::string> a) {
    std::stable_sort(a.begin(), a.end(), [&](auto& x, auto& y) { return compare(x, y) < 0; });
    return a;
  }

  const Collation collation{""};
  std::function<int(const std::string&, const std::string&)> compare =
      [this](const std::string& x, const std::string& y) { return collation.compare(x, y); };
};

TEST_F(Sorting, SmallArraysBothDirectionsAndOrdinal) {
  using Texts = std::vector<std::string>;
  EXPECT_EQ(byLibrary({"b", "A", "c"}, true), (Texts{"A", "b", "c"}));
  EXPECT_EQ(byLibrary({"b", "A", "c"}, false), (Texts{"c", "b", "A"}));
  EXPECT_EQ(byLibrary({"only"}, true), (Texts{"only"}));
  Texts bytes = {"b", "a", "B", "\xc3\xa9", "A"};
  sortStringArray(bytes, true, true, collation);
  EXPECT_EQ(bytes, (Texts{"A", "B", "a", "b", "\xc3\xa9"}));
  sortStringArray(bytes, false, true, collation);
  EXPECT_EQ(bytes, (Texts{"\xc3\xa9", "b", "a", "B", "A"}));
}

TEST_F(Sorting, EqualElementsEndWhereTheSchemePutsThem) {
  // 61 elements go by insertion alone, which keeps equal elements in order;
  // 62 are partitioned first, which moves them about.
  const std::vector<std::string> short_ = wordsWithTies(61, 7), longer = wordsWithTies(62, 7);
  EXPECT_EQ(byLibrary(short_, true), stably(short_));
  EXPECT_EQ(byLibrary(longer, true), plainly(longer, true));
  EXPECT_NE(byLibrary(longer, true), stably(longer));
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const std::vector<std::string> words = wordsWithTies(50 + seed * 37, seed);
    EXPECT_EQ(byLibrary(words, true), plainly(words, true)) << seed;
    EXPECT_EQ(byLibrary(words, false), plainly(words, false)) << seed;
  }
  // Enough elements for the keys to be made on several threads.
  const std::vector<std::string> many = wordsWithTies(40000, 4);
  EXPECT_EQ(byLibrary(many, false), plainly(many, false));
  const std::vector<std::string> same(300, "same");
  EXPECT_EQ(byLibrary(same, true), same);
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
  void Add(std::string_view name, uint64_t size, int64_t mtime) {
    FileEntry facts;
    facts.size = size;
    facts.mtime = mtime;
    files.push_back(store.addFile(folder, name, facts));
  }
  std::vector<std::string> Names(std::string_view field, bool ascending) {
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
  Add("big.bin", 1000, localSeconds(9, 12));
  Add("Small.bin", 900, localSeconds(10, 18));
  Add("alpha.txt", 5000, localSeconds(10, 8));
  using List = std::vector<std::string>;
  EXPECT_EQ(Names("Name", true), (List{"alpha.txt", "big.bin", "Small.bin"}));
  EXPECT_EQ(Names("Name", false), (List{"Small.bin", "big.bin", "alpha.txt"}));
  EXPECT_EQ(Names("no such choice", true), Names("Name", true));
  // 900 bytes before 1000: the zero-padded digits compare like numbers.
  EXPECT_EQ(Names("Size", true), (List{"Small.bin", "big.bin", "alpha.txt"}));
  // The same day at different times goes by name.
  EXPECT_EQ(Names("Date", true), (List{"big.bin", "alpha.txt", "Small.bin"}));
  EXPECT_EQ(Names("Date", false), (List{"Small.bin", "alpha.txt", "big.bin"}));
}

TEST_F(FolderFiles, TiesLandAsWithKeysThatHoldTheFolderPath) {
  std::mt19937 random(11);
  for (const std::string& word : wordsWithTies(150, 3)) {
    Add(word + ".txt", random() % 3 * 100, localSeconds(1 + random() % 2, 10));
  }
  for (const char* field : {"Name", "Size", "Date"}) {
    // "folder?name?size", "size?folder?name" or "day?folder?name?size".
    auto key = [&](uint32_t file) {
      const FileEntry& facts = store.file({folder, file});
      const std::string path = "/data/music/", name(store.name({folder, file}));
      const std::string size = formatSizeField(facts.size);
      const std::string day = facts.mtime == localSeconds(1, 10) ? "20240101" : "20240102";
      if (field == std::string("Size")) return size + "?" + path + "?" + name;
      return (field == std::string("Date") ? day + "?" : "") + path + "?" + name + "?" + size;
    };
    for (bool ascending : {true, false}) {
      std::vector<uint32_t> expected = files;
      plainSort<uint32_t>(
          expected, [&](uint32_t x, uint32_t y) { return collation.compare(key(x), key(y)); },
          ascending);
      EXPECT_EQ(sortFolderFiles(store, folder, files, field, ascending, collation), expected)
          << field << ascending;
    }
  }
}

class WholeList : public testing::Test {
 protected:
  // Adds a folder with its folder record and one file record per name.
  void Folder(std::string path, std::vector<std::string> names, uint64_t size = 1) {
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
  Folder("/r/2024/", {"b"});
  Folder("/r/2024/x/", {"in x"});
  Folder("/r/2024-01/", {"jan"});
  Folder("/r/abc/", {"lower"});
  Folder("/r/", {"notes", "note", "!bang", "#hash", "Note1"});
  Folder("/r/Résumé/", {"cv"});
  Folder("/r/Resume/", {"cv"});
  Folder("/r/ABC/", {"upper"});
  Folder("/r/ABC/sub/", {"deep"});
  Folder("/r/!first/", {"f"});
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

TEST_F(WholeList, TiesLandWhereTheSchemePutsThem) {
  // Folders compare component by component, by the collation and then by
  // their bytes; a folder's records by the collation of "name|size".
  auto components = [](std::string_view path) {
    std::vector<std::string_view> parts;
    for (size_t start = 0, slash; (slash = path.find('/', start)) != path.npos; start = slash + 1) {
      parts.push_back(path.substr(start, slash - start));
    }
    return parts;
  };
  auto compare = [&](const RecordRef& x, const RecordRef& y) {
    const auto xs = components(store.folderPath(x)), ys = components(store.folderPath(y));
    for (size_t k = 0; k < std::min(xs.size(), ys.size()); ++k) {
      if (int c = collation.compare(xs[k], ys[k])) return c;
      if (int c = xs[k].compare(ys[k])) return c;
    }
    if (xs.size() != ys.size()) return xs.size() < ys.size() ? -1 : 1;
    auto rest = [&](RecordRef r) { return std::string(store.name(r)) + "|" + store.sizeField(r); };
    return collation.compare(rest(x), rest(y));
  };
  const std::vector<std::string> names = wordsWithTies(400, 9);
  const char* paths[] = {"/s/", "/s/ab/", "/s/AB/", "/s/a/", "/s/ab/c/", "/s/", "/t/"};
  for (size_t i = 0; i < 7; ++i) {
    Folder(paths[i], std::vector<std::string>(names.begin() + i * 50, names.begin() + i * 50 + 50),
           i % 2);
  }
  std::vector<RecordRef> expected = records;
  plainSort<RecordRef>(expected, compare, true);
  const std::vector<RecordRef> sorted = sortRecords(store, records, collation);
  ASSERT_EQ(sorted.size(), expected.size());
  for (size_t i = 0; i < sorted.size(); ++i) {
    EXPECT_TRUE(sorted[i].folder == expected[i].folder && sorted[i].file == expected[i].file) << i;
  }
}

}  // namespace
}  // namespace tallyfold
