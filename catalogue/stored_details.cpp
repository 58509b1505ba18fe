#include <unordered_map>

#include "catalogue/catalogue_types.h"
#include "catalogue/detail_fields.h"

namespace tallyfold {

// Only the files that had something stored have an entry: a scan without
// optional columns costs nothing here. A scan of a photo or music collection
// keeps details for most of its files, so each is kept packed, its texts and
// numbers back to back in one block, and unpacked when a row asks for it.
struct StoredDetails::Table {
  std::unordered_map<uint64_t, uint64_t> offsetByRecord;
  std::string packed;
};

namespace {

uint64_t keyOf(RecordRef file) {
  return (uint64_t{file.folder} << 32) | file.file;
}

// Seven bits a byte, the last byte's high bit clear.
void appendNumber(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

void appendText(std::string& out, const std::string& text) {
  appendNumber(out, text.size());
  out += text;
}

uint64_t takeNumber(const std::string& in, size_t& at) {
  uint64_t value = 0;
  for (unsigned shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    value |= uint64_t{byte & 0x7Fu} << shift;
    if ((byte & 0x80) == 0) return value;
  }
}

void takeText(const std::string& in, size_t& at, std::string& text) {
  const size_t length = takeNumber(in, at);
  text.assign(in, at, length);
  at += length;
}

void pack(std::string& out, const FileDetails& details) {
  for (const std::string* text : detailTextsOf(details)) appendText(out, *text);
  for (const uint32_t* number : mediaNumbersOf(details)) appendNumber(out, *number);
  for (const std::string* text : mediaTextsOf(details)) appendText(out, *text);
}

void unpack(const std::string& in, size_t at, FileDetails& details) {
  for (std::string* text : detailTextsOf(details)) takeText(in, at, *text);
  for (uint32_t* number : mediaNumbersOf(details)) {
    *number = static_cast<uint32_t>(takeNumber(in, at));
  }
  for (std::string* text : mediaTextsOf(details)) takeText(in, at, *text);
}

}  // namespace

StoredDetails::StoredDetails() : table_(std::make_unique<Table>()) {}
StoredDetails::~StoredDetails() = default;
StoredDetails::StoredDetails(StoredDetails&&) noexcept = default;
StoredDetails& StoredDetails::operator=(StoredDetails&&) noexcept = default;

int StoredDetails::details(RecordRef file, FileDetails& details) const {
  details = FileDetails{};
  const auto found = table_->offsetByRecord.find(keyOf(file));
  if (found != table_->offsetByRecord.end()) unpack(table_->packed, found->second, details);
  return 0;
}

// A file kept again is packed anew; its earlier packing stays unused.
void StoredDetails::keep(RecordRef file, FileDetails details) {
  table_->offsetByRecord[keyOf(file)] = table_->packed.size();
  pack(table_->packed, details);
}

bool StoredDetails::empty() const {
  return table_->offsetByRecord.empty();
}

}  // namespace tallyfold
