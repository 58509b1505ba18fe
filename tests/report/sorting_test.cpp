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
class PlainSort {
 public:
  PlainSort(std::function<int(const T&, const T&)> compare, bool ascending)
      : compare_(std::move(compare)), order_(ascending ? 1 : -1) {}

  void Sort(std::vector<T>& a) {
    if (a.size() > 1) QuickSort(a, 0, static_cast<int>(a.size()) - 1);
  }

 private:
  bool Before(const T& x, const T& y) { return compare_(x, y) * order_ < 0; }

  void QuickSort(std::vector<T>& a, int lo, int hi) {
    if (hi - lo > 60) {
      while (lo < hi) {
        int p = Partition(a, lo, hi);
        if (p - lo <= hi - p) {
          QuickSort(a, lo, p - 1);
          lo = p + 1;
        } else {
          QuickSort(a, p + 1, hi);
          hi = p - 1;
        }
      }
    } else {
      InsertionSort(a, lo, hi);
    }
  }

  int Partition(std::vector<T>& a, int lo, int hi) {
    int mid = lo + (hi - lo) / 2;
    T pivot = a[mid];
    a[mid] = a[lo];
    int i = lo + 1;
    int j = hi;
    for (;;) {
      while (i < j && Before(a[i], pivot)) i = i + 1;
      while (j >= i && Before(pivot, a[j])) j = j - 1;
      if (i >= j) {
        a[lo] = a[j];
        a[j] = pivot;
        return j;
      }
      T t = a[i];
      a[i] = a[j];
      a[j] = t;
      i = i + 1;
      j = j - 1;
    }
  }

  void InsertionSort(std::vector<T>& a, int lo, int hi) {
    for (int i = lo + 1; i <= hi; ++i) {
      T tmp = a[i];
      int j = i - 1;
      while (j >= lo && Before(tmp, a[j])) {
        a[j + 1] = a[j];
        j = j - 1;
      }
      a[j + 1] = tmp;
    }
  }

  std::function<int(const T&, const T&)> compare_;
  int order_;
};

// Words that tie under the collation in many ways: "ab", "Ab", "aB", "AB".
std::vector<std::string> WordsWithTies(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> words;
  for (size_t i = 0; i < count; ++i) {
    std::string word;
    const size_t length = 1 + random() % 2;
    for (size_t k = 0; k < length; ++k) {
      const char letter = static_cast<char>('a' + random() % 3);
      word.push_back(random() % 2 ? letter : static_cast<char>(letter - 'a' + 'A'));
    }
    words.push_back(word);
  }
  return words;
}

class Sorting : public testing::Test {
 protected:
  std::vector<std::string> SortedByLibrary(std::vector<std::string> a, bool ascending) {
    SortStringArray(a, ascending, false, collation);
    return a;
  }
  std::vector<std::string> SortedPlainly(std::vector<std::string> a, bool ascending) {
    PlainSort<std::string>(
        [this](const std::string& x, const std::string& y) { return collation.compare(x, y); },
        ascending)
        .Sort(a);
    return a;
  }
  std::vector<std::string> SortedStably(std::vector<std::string> a) {
    std::stable_sort(a.begin(), a.end(), [this](const std::string& x, const std::string& y) {
      return collation.compare(x, y) < 0;
    });
    return a;
  }

  const Collation collation{""};
};

TEST_F(Sorting, SmallArraysBothDirectionsAndOrdinal) {
  EXPECT_EQ(SortedByLibrary({"b", "A", "c"}, true), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(SortedByLibrary({"b", "A", "c"}, false), (std::vector<std::string>{"c", "b", "A"}));
  EXPECT_EQ(SortedByLibrary({"only"}, true), (std::vector<std::string>{"only"}));
  EXPECT_EQ(SortedByLibrary({}, true), (std::vector<std::string>{}));

  std::vector<std::string> bytes = {"b", "a", "B", "\xc3\xa9", "A"};
  SortStringArray(bytes, true, true, collation);
  EXPECT_EQ(bytes, (std::vector<std::string>{"A", "B", "a", "b", "\xc3\xa9"}));
  SortStringArray(bytes, false, true, collation);
  EXPECT_EQ(bytes, (std::vector<std::string>{"\xc3\xa9", "b", "a", "B", "A"}));
}

TEST_F(Sorting, EqualElementsEndWhereTheSchemePutsThem) {
  // 61 elements go by insertion alone, which keeps equal elements in order.
  const std::vector<std::string> short_ = WordsWithTies(61, 7);
  EXPECT_EQ(SortedByLibrary(short_, true), SortedStably(short_));
  EXPECT_EQ(SortedByLibrary(short_, true), SortedPlainly(short_, true));

  // 62 are partitioned first, which moves equal elements about.
  const std::vector<std::string> longer = WordsWithTies(62, 7);
  EXPECT_EQ(SortedByLibrary(longer, true), SortedPlainly(longer, true));
  EXPECT_NE(SortedByLibrary(longer, true), SortedStably(longer));

  for (unsigned seed = 1; seed <= 20; ++seed) {
    const std::vector<std::string> words = WordsWithTies(50 + seed * 37, seed);
    EXPECT_EQ(SortedByLibrary(words, true), SortedPlainly(words, true)) << seed;
    EXPECT_EQ(SortedByLibrary(words, false), SortedPlainly(words, false)) << seed;
  }
}

TEST_F(Sorting, LargeArraysWhoseKeysAreMadeOnSeveralThreads) {
  std::vector<std::string> words = WordsWithTies(40000, 4);
  for (size_t i = 0; i < words.size(); ++i) words[i] += std::to_string(i % 97);
  EXPECT_EQ(SortedByLibrary(words, false), SortedPlainly(words, false));
}

TEST_F(Sorting, AllEqualElements) {
  const std::vector<std::string> same(300, "same");
  EXPECT_EQ(SortedByLibrary(same, true), same);
  EXPECT_EQ(SortedByLibrary(same, false), same);
  std::vector<std::string> mixedCase;
  for (int i = 0; i < 300; ++i) mixedCase.push_back(i % 3 ? "ab" : "AB");
  EXPECT_EQ(SortedByLibrary(mixedCase, true), SortedPlainly(mixedCase, true));
}

TEST(SortRange, SortsWithAnyOrderOfAnyType) {
  std::vector<int> numbers;
  for (int i = 0; i < 5000; ++i) numbers.push_back(i * 7919 % 5000);
  SortRange(numbers, [](int x, int y) { return x > y; });
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(numbers[i], 4999 - i);
  std::vector<int> sorted(100, 3);
  sorted.push_back(1);
  SortRange(sorted, [](int x, int y) { return x < y; });
  EXPECT_EQ(sorted.front(), 1);
  EXPECT_EQ(sorted.back(), 3);
}

// Epoch seconds of a local date and time.
int64_t LocalSeconds(int year, int month, int day, int hour) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

class FolderFiles : public testing::Test {
 protected:
  uint32_t Add(std::string_view name, uint64_t size, int64_t mtime = 0) {
    FileEntry facts;
    facts.size = size;
    facts.mtime = mtime;
    return store.addFile(folder, name, facts);
  }
  std::vector<std::string> Names(std::string_view field, bool ascending) {
    std::vector<uint32_t> files;
    for (uint32_t i = 0; i < store.folder(folder).files.size(); ++i) files.push_back(i);
    std::vector<std::string> names;
    for (uint32_t file : SortFolderFiles(store, folder, files, field, ascending, collation)) {
      names.emplace_back(store.name({folder, file}));
    }
    return names;
  }

  const Collation collation{""};
  RecordStore store;
  uint32_t folder = store.addFolder("/data/music/");
};

TEST_F(FolderFiles, NameSizeAndDateOrders) {
  Add("big.bin", 1000, LocalSeconds(2024, 3, 9, 12));
  Add("Small.bin", 900, LocalSeconds(2024, 3, 10, 18));
  Add("alpha.txt", 5000, LocalSeconds(2024, 3, 10, 8));
  using Names = std::vector<std::string>;
  EXPECT_EQ(this->Names("Name", true), (Names{"alpha.txt", "big.bin", "Small.bin"}));
  EXPECT_EQ(this->Names("Name", false), (Names{"Small.bin", "big.bin", "alpha.txt"}));
  EXPECT_EQ(this->Names("no such choice", true), this->Names("Name", true));
  // 900 bytes before 1000: the zero-padded digits compare like numbers.
  EXPECT_EQ(this->Names("Size", true), (Names{"Small.bin", "big.bin", "alpha.txt"}));
  EXPECT_EQ(this->Names("Size", false), (Names{"alpha.txt", "big.bin", "Small.bin"}));
  // The same day at different times goes by name.
  EXPECT_EQ(this->Names("Date", true), (Names{"big.bin", "alpha.txt", "Small.bin"}));
  EXPECT_EQ(this->Names("Date", false), (Names{"Small.bin", "alpha.txt", "big.bin"}));
}

TEST_F(FolderFiles, OrderIsTheOneOfFullKeysWithTheFolderPath) {
  std::mt19937 random(11);
  const std::vector<std::string> words = WordsWithTies(150, 3);
  for (const std::string& word : words) {
    Add(word + ".txt", random() % 3 * 100, LocalSeconds(2024, 1, 1 + random() % 2, 10));
  }
  const std::string path = store.folder(folder).path;
  for (const char* field : {"Name", "Size", "Date"}) {
    for (bool ascending : {true, false}) {
      std::vector<std::string> keys;
      for (uint32_t i = 0; i < store.folder(folder).files.size(); ++i) {
        const FileEntry& facts = store.folder(folder).files[i];
        const std::string name(store.name({folder, i}));
        const std::string size = formatSizeField(facts.size);
        const std::string day =
            facts.mtime == LocalSeconds(2024, 1, 1, 10) ? "20240101" : "20240102";
        std::string key = std::string(field) == "Name" ? path + "?" + name + "?" + size
                          : std::string(field) == "Size"
                              ? size + "?" + path + "?" + name
                              : day + "?" + path + "?" + name + "?" + size;
        keys.push_back(key + "#" + std::to_string(i));
      }
      // Compare without the index suffix, which only tells the files apart.
      auto strip = [](const std::string& key) { return key.substr(0, key.rfind('#')); };
      PlainSort<std::string>(
          [&](const std::string& x, const std::string& y) {
            return collation.compare(strip(x), strip(y));
          },
          ascending)
          .Sort(keys);
      std::vector<std::string> expected;
      for (const std::string& key : keys) {
        const uint32_t file = static_cast<uint32_t>(std::stoul(key.substr(key.rfind('#') + 1)));
        expected.emplace_back(store.name({folder, file}));
      }
      EXPECT_EQ(Names(field, ascending), expected) << field << ascending;
    }
  }
}

class WholeList : public testing::Test {
 protected:
  uint32_t Folder(std::string path) {
    const uint32_t index = store.addFolder(std::move(path));
    records.push_back({index, RecordRef::kFolderRecord});
    return index;
  }
  void File(uint32_t folder, std::string_view name, uint64_t size) {
    FileEntry facts;
    facts.size = size;
    records.push_back({folder, store.addFile(folder, name, facts)});
  }
  std::vector<std::string> SortedTexts() {
    std::vector<std::string> texts;
    for (RecordRef record : SortRecords(store, records, collation)) {
      texts.push_back(store.recordText(record));
    }
    return texts;
  }

  const Collation collation{""};
  RecordStore store;
  std::vector<RecordRef> records;
};

TEST_F(WholeList, FoldersInTreeOrderEachWithItsOwnRecords) {
  const uint32_t r2024 = Folder("/r/2024/");
  File(r2024, "b", 1);
  const uint32_t x = Folder("/r/2024/x/");
  File(x, "in x", 2);
  const uint32_t month = Folder("/r/2024-01/");
  File(month, "jan", 3);
  const uint32_t lower = Folder("/r/abc/");
  File(lower, "lower", 4);
  const uint32_t root = Folder("/r/");
  File(root, "notes", 5);
  File(root, "note", 6);
  File(root, "!bang", 7);
  File(root, "#hash", 8);
  File(root, "Note1", 9);
  const uint32_t accented = Folder("/r/Résumé/");
  File(accented, "cv", 10);
  const uint32_t plain = Folder("/r/Resume/");
  File(plain, "cv", 11);
  const uint32_t upper = Folder("/r/ABC/");
  File(upper, "upper", 12);
  const uint32_t deep = Folder("/r/ABC/sub/");
  File(deep, "deep", 13);
  const uint32_t bang = Folder("/r/!first/");
  File(bang, "f", 14);

  const std::string dollars(kFolderRecordName);
  const std::string folderTail = "|" + dollars + "|00000000000000000";
  EXPECT_EQ(SortedTexts(), (std::vector<std::string>{
                               "/r/|!bang|000000000000007", "/r/|#hash|000000000000008",
                               "/r/" + folderTail,          "/r/|note|000000000000006",
                               "/r/|Note1|000000000000009", "/r/|notes|000000000000005",
                               "/r/!first/" + folderTail,   "/r/!first/|f|000000000000014",
                               "/r/2024/" + folderTail,     "/r/2024/|b|000000000000001",
                               "/r/2024/x/" + folderTail,   "/r/2024/x/|in x|000000000000002",
                               "/r/2024-01/" + folderTail,  "/r/2024-01/|jan|000000000000003",
                               "/r/ABC/" + folderTail,      "/r/ABC/|upper|000000000000012",
                               "/r/ABC/sub/" + folderTail,  "/r/ABC/sub/|deep|000000000000013",
                               "/r/abc/" + folderTail,      "/r/abc/|lower|000000000000004",
                               "/r/Resume/" + folderTail,   "/r/Resume/|cv|000000000000011",
                               "/r/Résumé/" + folderTail,   "/r/Résumé/|cv|000000000000010",
                           }));
}

// The whole-list order spelled out as a comparison of two records.
int CompareRecords(const RecordStore& store, const Collation& collation, RecordRef x, RecordRef y) {
  auto components = [](std::string_view path) {
    path.remove_suffix(1);
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string_view::npos;) {
      parts.push_back(path.substr(start, slash - start));
      start = slash + 1;
    }
    parts.push_back(path.substr(start));
    return parts;
  };
  const auto xs = components(store.folderPath(x));
  const auto ys = components(store.folderPath(y));
  for (size_t k = 0; k < std::min(xs.size(), ys.size()); ++k) {
    if (int c = collation.compare(xs[k], ys[k])) return c;
    if (int c = xs[k].compare(ys[k])) return c;
  }
  if (xs.size() != ys.size()) return xs.size() < ys.size() ? -1 : 1;
  const auto rest = [&](RecordRef r) {
    return std::string(store.name(r)) + "|" + store.sizeField(r);
  };
  return collation.compare(rest(x), rest(y));
}

TEST_F(WholeList, TiesLandWhereTheSchemePutsThem) {
  std::mt19937 random(5);
  const std::vector<std::string> names = WordsWithTies(400, 9);
  std::vector<uint32_t> folders;
  for (const char* path : {"/s/", "/s/ab/", "/s/AB/", "/s/a/", "/s/ab/c/", "/s/", "/t/"}) {
    folders.push_back(Folder(path));
  }
  for (const std::string& name : names) {
    File(folders[random() % folders.size()], name, random() % 2);
  }
  std::vector<RecordRef> expected = records;
  PlainSort<RecordRef>(
      [this](RecordRef x, RecordRef y) { return CompareRecords(store, collation, x, y); }, true)
      .Sort(expected);
  const std::vector<RecordRef> sorted = SortRecords(store, records, collation);
  ASSERT_EQ(sorted.size(), expected.size());
  for (size_t i = 0; i < sorted.size(); ++i) {
    EXPECT_EQ(sorted[i].folder, expected[i].folder) << i;
    EXPECT_EQ(sorted[i].file, expected[i].file) << i;
  }
}

}  // namespace
}  // namespace tallyfold
