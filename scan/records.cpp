#include "scan/records.h"

#include <charconv>
#include <stdexcept>

namespace tallyfold {

namespace {

constexpr size_t kSizeDigits = 15;

}  // namespace

uint32_t RecordStore::addFolder(std::string path) {
  folders_.push_back(FolderEntry{std::move(path), {}, {}});
  return static_cast<uint32_t>(folders_.size() - 1);
}

uint32_t RecordStore::addFile(uint32_t folder, std::string_view name, const FileEntry& facts) {
  FolderEntry& entry = folders_[folder];
  if (name.size() > UINT16_MAX || entry.names.size() + name.size() > UINT32_MAX) {
    throw std::length_error("file name does not fit the record store");
  }
  FileEntry file = facts;
  file.nameOffset = static_cast<uint32_t>(entry.names.size());
  file.nameLength = static_cast<uint16_t>(name.size());
  entry.names.append(name);
  entry.files.push_back(file);
  return static_cast<uint32_t>(entry.files.size() - 1);
}

std::string_view RecordStore::name(RecordRef r) const {
  if (r.isFolderRecord()) return kFolderRecordName;
  const FolderEntry& entry = folders_[r.folder];
  const FileEntry& file = entry.files[r.file];
  return std::string_view(entry.names).substr(file.nameOffset, file.nameLength);
}

std::string RecordStore::sizeField(RecordRef r) const {
  if (r.isFolderRecord()) return std::string(kFolderRecordSize);
  return formatSizeField(file(r).size);
}

std::string RecordStore::recordText(RecordRef r) const {
  std::string_view path = folderPath(r);
  std::string_view fileName = name(r);
  std::string size = sizeField(r);
  std::string text;
  text.reserve(path.size() + fileName.size() + size.size() + 2);
  text.append(path).append(1, '|').append(fileName).append(1, '|').append(size);
  return text;
}

uint32_t RecordStore::append(RecordStore&& other) {
  uint32_t first = folderCount();
  folders_.reserve(folders_.size() + other.folders_.size());
  for (FolderEntry& entry : other.folders_) folders_.push_back(std::move(entry));
  other.folders_.clear();
  return first;
}

std::string formatSizeField(uint64_t size) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, size);
  (void)ec;  // 20 digits always fit
  size_t count = static_cast<size_t>(end - digits);
  std::string field;
  if (count < kSizeDigits) field.assign(kSizeDigits - count, '0');
  field.append(digits, count);
  return field;
}

}  // namespace tallyfold
