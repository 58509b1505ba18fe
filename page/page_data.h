#pragma once
// The browsable page's data: the scan's folders and files as a few compact
// texts that the page's script reads lazily. The folders come once each, as a
// tree in pre-order (depth, file count, name), so the files of any folder and
// of everything below it are one run of the file columns; each file column is
// one text (names, sizes, times, and each detail column the report settings
// switch on) with one value per file in that same order.
//
// The texts sit inside the page's non-script data blocks, so they never hold
// "<" and never a line break inside a value: a byte below 0x20, "\", "<" and
// every byte that is not part of valid UTF-8 is written as "\" and two upper-
// case hex digits. An escaped byte of 0x80 or more is such an invalid byte;
// the page keeps it as the lone surrogate U+DC80 to U+DCFF, as the JSON
// listing does. Numbers are written in base 36.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_columns.h"
#include "scan/records.h"

namespace tallyfold {

// The detail columns' texts, in the store's order of files (folder by folder
// as the store holds them, each folder's files in their order there):
// texts[fileNumber * columns.size() + column].
struct PageColumnTexts {
  std::vector<ListingColumn> columns;
  std::vector<std::string> texts;
};

struct PageData {
  int64_t timeBase = 0;  // times are written as seconds after this one
  uint64_t fileCount = 0, folderCount = 0, totalBytes = 0;
  std::string folders;               // "depth\tfiles\tname" a line, in pre-order
  std::string names;                 // one name a line
  std::string sizes;                 // comma-separated
  std::string times;                 // comma-separated, seconds after timeBase
  std::vector<std::string> columns;  // one text a detail column, a value a line
};

// Appends the text with the escapes above.
void appendPageText(std::string& out, std::string_view text);
// Appends the number in base 36, lower-case digits.
void appendBase36(std::string& out, uint64_t value);

// The folders of the store as a tree: a folder whose parent folder is in the
// store is its child, any other is a root named by its whole path. Siblings
// come in byte order of their names.
std::vector<uint32_t> foldersInTreeOrder(const RecordStore& store, std::vector<uint32_t>& depths);

PageData makePageData(const RecordStore& store, const PageColumnTexts& columnTexts);

}  // namespace tallyfold
