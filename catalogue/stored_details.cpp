#include <unordered_map>

#include "catalogue/catalogue_types.h"

namespace tallyfold {

// Only the files that had something stored have an entry: a scan without
// optional columns costs nothing here.
struct StoredDetails::Table {
  std::unordered_map<uint64_t, FileDetails> byRecord;
};

namespace {

uint64_t keyOf(RecordRef file) {
  return (uint64_t{file.folder} << 32) | file.file;
}

}  // namespace

StoredDetails::StoredDetails() : table_(std::make_unique<Table>()) {}
StoredDetails::~StoredDetails() = default;
StoredDetails::StoredDetails(StoredDetails&&) noexcept = default;
StoredDetails& StoredDetails::operator=(StoredDetails&&) noexcept = default;

int StoredDetails::details(RecordRef file, FileDetails& details) const {
  const auto found = table_->byRecord.find(keyOf(file));
  details = found == table_->byRecord.end() ? FileDetails{} : found->second;
  return 0;
}

void StoredDetails::keep(RecordRef file, FileDetails details) {
  table_->byRecord[keyOf(file)] = std::move(details);
}

bool StoredDetails::empty() const {
  return table_->byRecord.empty();
}

}  // namespace tallyfold
