#include "report/sorting.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <type_traits>

#include "platform/locale_format.h"
#include "report/collation.h"

namespace tallyfold {

namespace {

constexpr size_t kCancelPollRecords = 4096;

// Sorting by collation compares precomputed sort keys: a key is made once per
// element, and comparing two keys is a memcmp, where comparing two texts runs
// the collation over both every time. The keys give exactly the collation's
// order, equal texts included, so the sort takes the same steps either way.

// One element's key, and where the element came from.
// head holds the key's first 8 bytes as a big-endian number, so most
// comparisons are decided without reading the key bytes themselves.
struct KeyRef {
  const char* data = nullptr;
  uint64_t head = 0;
  uint32_t size = 0;
  uint32_t index = 0;
};

constexpr uint32_t kHeadBytes = 8;

uint64_t headOf(const char* data, uint32_t size) {
  uint64_t head = 0;
  for (uint32_t k = 0; k < kHeadBytes; ++k) {
    head = (head << 8) | (k < size ? static_cast<unsigned char>(data[k]) : 0u);
  }
  return head;
}

int compareKeys(const KeyRef& x, const KeyRef& y) {
  if (x.head != y.head && x.size >= kHeadBytes && y.size >= kHeadBytes) {
    return x.head < y.head ? -1 : 1;
  }
  int c = std::memcmp(x.data, y.data, std::min(x.size, y.size));
  if (c != 0) return c;
  return x.size < y.size ? -1 : x.size > y.size ? 1 : 0;
}

// before() of the sort: x sorts strictly before y in the given direction.
auto keyOrder(bool ascending) {
  return [ascending](const KeyRef& x, const KeyRef& y) {
    const int c = compareKeys(x, y);
    return ascending ? c < 0 : c > 0;
  };
}

// The keys of count elements, made by writeKey(index, scratch, out), which
// appends element index's key to out. The keys lie back to back in blocks of
// about a megabyte, so a million keys cost their bytes and one KeyRef each.
// Large tables are made on every core, each thread filling its own blocks.
class KeyTable {
 public:
  // Each thread hands the key writer a Scratch of its own, for whatever it
  // keeps from one element to the next.
  template <class WriteKey, class Scratch = std::string>
  KeyTable(size_t count, const WriteKey& writeKey, std::type_identity<Scratch> = {}) {
    if (count > UINT32_MAX) throw std::length_error("too many elements to sort");
    refs_.resize(count);
    const size_t parts = partsFor(count);
    parts_.resize(parts);
    std::vector<std::thread> helpers;
    std::vector<std::exception_ptr> failures(parts);
    for (size_t part = 0; part < parts; ++part) {
      auto fill = [&, part] {
        try {
          fillPart<Scratch>(parts_[part], part * count / parts, (part + 1) * count / parts,
                            writeKey);
        } catch (...) {
          failures[part] = std::current_exception();
        }
      };
      if (part + 1 < parts) {
        try {
          helpers.emplace_back(fill);
        } catch (const std::system_error&) {
          fill();  // no thread to be had: this thread does the part itself
        }
      } else {
        fill();
      }
    }
    for (std::thread& helper : helpers) helper.join();
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    pointAtKeys();
  }

  std::vector<KeyRef>& refs() { return refs_; }
  // Frees the key bytes once the order is known; the refs keep their index.
  void freeKeys() { parts_ = {}; }

 private:
  static constexpr size_t kBlockBytes = size_t{1} << 20;
  // Room a block is given beyond its last key's start, and a generous guess
  // of a key's size so that a small table does not take a whole block.
  static constexpr size_t kBlockSlack = 4096;
  static constexpr size_t kGuessedKeyBytes = 64;
  static constexpr size_t kElementsPerThread = 8192;

  struct Block {
    std::string bytes;
    size_t keys = 0;
  };
  struct Part {
    size_t begin = 0;
    std::vector<Block> blocks;
  };

  static size_t partsFor(size_t count) {
    if (count < 2 * kElementsPerThread) return 1;
    static const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<size_t>(count / kElementsPerThread, 1, std::min<size_t>(cores, 8));
  }

  template <class Scratch, class WriteKey>
  void fillPart(Part& part, size_t begin, size_t end, const WriteKey& writeKey) {
    part.begin = begin;
    Scratch scratch;
    for (size_t i = begin; i < end; ++i) {
      if (part.blocks.empty() || part.blocks.back().bytes.size() >= kBlockBytes) {
        part.blocks.emplace_back();
        part.blocks.back().bytes.reserve(std::min(kBlockBytes, (end - i) * kGuessedKeyBytes) +
                                         kBlockSlack);
      }
      Block& block = part.blocks.back();
      const size_t before = block.bytes.size();
      writeKey(i, scratch, block.bytes);
      const size_t size = block.bytes.size() - before;
      if (size > UINT32_MAX) throw std::length_error("sort key too long");
      refs_[i].size = static_cast<uint32_t>(size);
      refs_[i].index = static_cast<uint32_t>(i);
      ++block.keys;
    }
  }

  // Blocks may have moved while they grew, so the pointers are set at the end.
  void pointAtKeys() {
    for (Part& part : parts_) {
      size_t i = part.begin;
      for (Block& block : part.blocks) {
        const char* next = block.bytes.data();
        for (size_t k = 0; k < block.keys; ++k, ++i) {
          refs_[i].data = next;
          refs_[i].head = headOf(next, refs_[i].size);
          next += refs_[i].size;
        }
      }
    }
  }

  std::vector<Part> parts_;
  std::vector<KeyRef> refs_;
};

void appendBigEndian32(uint32_t value, std::string& out) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

// A folder path's key for the whole-list order, whose memcmp order compares the
// paths component by component: each component by the collation and then, if
// the collation finds two components equal, by their exact bytes, so that
// distinct folders never compare equal and sibling folders such as "ABC" and
// "abc" keep their sub-trees apart. A folder whose components begin another's
// sorts first: a folder before its sub-folders, "2024" before "2024-01".
// Each component contributes its collation key, a 0 byte, its bytes and a 0
// byte; neither collation keys nor names contain a 0 byte, so the 0 bytes
// make a component that is a prefix of another sort first.
//
// The store holds folders in walk order, so a folder mostly follows its parent
// or a sibling: the key of the leading components it shares with the folder
// before it is taken over instead of being collated again.
class FolderKeyWriter {
 public:
  void append(std::string_view path, const Collation& collation, std::string& out) {
    if (!path.empty() && path.back() == '/') path.remove_suffix(1);
    size_t start = keepSharedComponents(path);
    path_.assign(path);
    while (start != std::string_view::npos) {
      const size_t slash = path.find('/', start);
      const size_t end = slash == std::string_view::npos ? path.size() : slash;
      const std::string_view component = path.substr(start, end - start);
      collation.appendSortKey(component, key_);
      key_.push_back('\0');
      key_.append(component);
      key_.push_back('\0');
      ends_.push_back({end, key_.size()});
      start = slash == std::string_view::npos ? std::string_view::npos : slash + 1;
    }
    out.append(key_);
  }

 private:
  // Keeps the components the path shares with the previous one and returns
  // where the first component still to be keyed starts (npos: none).
  size_t keepSharedComponents(std::string_view path) {
    const size_t common =
        std::mismatch(path.begin(), path.end(), path_.begin(), path_.end()).first - path.begin();
    size_t shared = 0;
    while (shared < ends_.size() && ends_[shared].path <= common &&
           (ends_[shared].path == path.size() || path[ends_[shared].path] == '/')) {
      ++shared;
    }
    ends_.resize(shared);
    key_.resize(shared == 0 ? 0 : ends_.back().key);
    if (shared == 0) return 0;
    return ends_.back().path == path.size() ? std::string_view::npos : ends_.back().path + 1;
  }

  struct ComponentEnd {
    size_t path;  // in path_
    size_t key;   // in key_
  };
  std::string path_;
  std::string key_;
  std::vector<ComponentEnd> ends_;
};

// Every folder of the store gets a rank in the whole-list order of folders;
// folders with the same path share a rank.
std::vector<uint32_t> rankFolders(const RecordStore& store, const Collation& collation) {
  KeyTable table(
      store.folderCount(),
      [&](size_t folder, FolderKeyWriter& writer, std::string& out) {
        writer.append(store.folder(static_cast<uint32_t>(folder)).path, collation, out);
      },
      std::type_identity<FolderKeyWriter>{});
  std::vector<KeyRef>& order = table.refs();
  sortRange(order, keyOrder(true));
  std::vector<uint32_t> ranks(order.size());
  uint32_t rank = 0;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k > 0 && compareKeys(order[k - 1], order[k]) != 0) ++rank;
    ranks[order[k].index] = rank;
  }
  return ranks;
}

// The record text after the folder field of a file record: "name|size".
void writeFileRecordRest(const RecordStore& store, RecordRef record, std::string& text) {
  text.assign(store.name(record));
  text.push_back('|');
  text.append(formatSizeField(store.file(record).size));
}

// Every folder record has the same text after its folder field, so the same
// key: it is collated once.
std::string folderRecordRestKey(const Collation& collation) {
  std::string text(kFolderRecordName);
  text.push_back('|');
  text.append(kFolderRecordSize);
  std::string key;
  collation.appendSortKey(text, key);
  return key;
}

// The last-modified day as the number yyyymmdd, in local time. A year may be
// negative or have up to ten digits, hence 64 bits; the number still grows
// with the day, since mmdd stays within 0101..1231 whatever the year's sign.
int64_t dayNumber(int64_t mtime) {
  const LocalTime t = toLocalTime(mtime);
  return int64_t{t.year} * 10000 + t.month * 100 + t.day;
}

// The day's text in a sort key, which the collation compares character by
// character. Years 0 to 9999 give the eight digits yyyymmdd. Later days give
// "99999" and fourteen digits, which follow every eight-digit day (no month
// begins with a 9); days before year 0 give "-" (punctuation sorts before
// digits) and the fourteen-digit complement of the number's magnitude, so
// that the earlier day comes first. Fourteen digits hold any int year.
void appendDay(int64_t day, std::string& text) {
  constexpr int64_t kEightDigits = 99999999;
  constexpr long long kFourteenNines = 99999999999999;
  char digits[32];
  int length = 0;
  if (day >= 0 && day <= kEightDigits) {
    length = std::snprintf(digits, sizeof digits, "%08lld", static_cast<long long>(day));
  } else if (day > kEightDigits) {
    length = std::snprintf(digits, sizeof digits, "99999%014lld", static_cast<long long>(day));
  } else {
    length = std::snprintf(digits, sizeof digits, "-%014lld",
                           kFourteenNines + static_cast<long long>(day));
  }
  text.append(digits, static_cast<size_t>(length));
}

enum class FileSortField { kName, kSize, kDate };

FileSortField parseSortField(std::string_view text) {
  if (text == "Size") return FileSortField::kSize;
  if (text == "Date") return FileSortField::kDate;
  return FileSortField::kName;  // "Name", and anything unknown
}

}  // namespace

std::vector<RecordRef> sortRecords(const RecordStore& store, std::vector<RecordRef> records,
                                   const Collation& collation, const CancelFlag* cancel) {
  auto cancelled = [cancel] {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
  };
  if (records.size() < 2 || cancelled()) return records;
  const std::vector<uint32_t> ranks = rankFolders(store, collation);
  if (cancelled()) return records;
  // Each record's key: its folder's rank in 4 big-endian bytes, then the
  // collation key of the rest of its text.
  const std::string folderRecordKey = folderRecordRestKey(collation);
  KeyTable table(records.size(), [&](size_t i, std::string& text, std::string& out) {
    // Making the keys is most of the sort's time: a cancel stops it within
    // a few thousand records, and the records stay in walk order.
    if (i % kCancelPollRecords == 0 && cancelled()) return;
    appendBigEndian32(ranks[records[i].folder], out);
    if (records[i].isFolderRecord()) {
      out.append(folderRecordKey);
    } else {
      writeFileRecordRest(store, records[i], text);
      collation.appendSortKey(text, out);
    }
  });
  if (cancelled()) return records;
  std::vector<KeyRef>& order = table.refs();
  sortRange(order, keyOrder(true));
  table.freeKeys();
  std::vector<RecordRef> sorted;
  sorted.reserve(records.size());
  for (const KeyRef& ref : order) sorted.push_back(records[ref.index]);
  return sorted;
}

std::vector<uint32_t> sortFolderFiles(const RecordStore& store, uint32_t folder,
                                      std::vector<uint32_t> files, std::string_view sortField,
                                      bool ascending, const Collation& collation) {
  if (files.size() < 2) return files;
  const FileSortField field = parseSortField(sortField);
  const FolderEntry& entry = store.folder(folder);
  std::vector<int64_t> days;
  if (field == FileSortField::kDate) {
    days.reserve(files.size());
    for (uint32_t file : files) days.push_back(dayNumber(entry.file(file).mtime));
  }
  // The keys are "name?size", "size?name" and "day?name?size". A listing
  // would also put the folder's path in each key ("folder?name?size" and so
  // on), but every key of one folder has the same path, ending in "/", and
  // the collation weighs a common leading text the same on both sides, so
  // leaving it out changes no comparison and saves its bytes.
  KeyTable table(files.size(), [&](size_t i, std::string& text, std::string& out) {
    const RecordRef record{folder, files[i]};
    const std::string_view name = store.name(record);
    const std::string size = formatSizeField(entry.file(files[i]).size);
    text.clear();
    switch (field) {
      case FileSortField::kName:
        text.append(name).append(1, '?').append(size);
        break;
      case FileSortField::kSize:
        text.append(size).append(1, '?').append(name);
        break;
      case FileSortField::kDate:
        appendDay(days[i], text);
        text.append(1, '?').append(name).append(1, '?').append(size);
        break;
    }
    collation.appendSortKey(text, out);
  });
  std::vector<KeyRef>& order = table.refs();
  sortRange(order, keyOrder(ascending));
  std::vector<uint32_t> sorted;
  sorted.reserve(files.size());
  for (const KeyRef& ref : order) sorted.push_back(files[ref.index]);
  return sorted;
}

}  // namespace tallyfold
