#include "scan/records.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace tallyfold {

namespace {

constexpr size_t kSizeDigits = 15;
constexpr size_t kPathBlockSize = 256 * 1024;

}  // namespace

void FolderEntry::setFiles(std::span<const FileEntry> files, std::string_view names) {
  if (files.size() > UINT32_MAX || names.size() > UINT32_MAX) {
    throw std::length_error("folder listing does not fit the record store");
  }
  fileCount_ = fileCapacity_ = static_cast<uint32_t>(files.size());
  namesSize_ = namesCapacity_ = static_cast<uint32_t>(names.size());
  files_ = files.empty() ? nullptr : std::make_unique_for_overwrite<FileEntry[]>(files.size());
  names_ = names.empty() ? nullptr : std::make_unique_for_overwrite<char[]>(names.size());
  std::copy(files.begin(), files.end(), files_.get());
  std::copy(names.begin(), names.end(), names_.get());
}

uint32_t FolderEntry::addFile(std::string_view name, const FileEntry& facts) {
  if (name.size() > UINT16_MAX || uint64_t{namesSize_} + name.size() > UINT32_MAX ||
      fileCount_ == UINT32_MAX) {
    throw std::length_error("file name does not fit the record store");
  }
  if (fileCount_ == fileCapacity_) {
    fileCapacity_ = std::max<uint32_t>(4, fileCapacity_ * 2);
    auto grown = std::make_unique_for_overwrite<FileEntry[]>(fileCapacity_);
    std::copy(files_.get(), files_.get() + fileCount_, grown.get());
    files_ = std::move(grown);
  }
  uint32_t namesNeeded = namesSize_ + static_cast<uint32_t>(name.size());
  if (namesNeeded > namesCapacity_) {
    namesCapacity_ = std::max<uint32_t>({64, namesNeeded, namesCapacity_ * 2});
    auto grown = std::make_unique_for_overwrite<char[]>(namesCapacity_);
    std::copy(names_.get(), names_.get() + namesSize_, grown.get());
    names_ = std::move(grown);
  }
  FileEntry& file = files_[fileCount_] = facts;
  file.nameOffset = namesSize_;
  file.nameLength = static_cast<uint16_t>(name.size());
  std::copy(name.begin(), name.end(), names_.get() + namesSize_);
  namesSize_ = namesNeeded;
  return fileCount_++;
}

std::string_view RecordStore::keepPath(std::string_view path) {
  if (path.size() > pathBlockFree_) {
    size_t size = std::max(kPathBlockSize, path.size());
    pathBlocks_.push_back(std::make_unique<char[]>(size));
    pathBlockNext_ = pathBlocks_.back().get();
    pathBlockFree_ = size;
  }
  char* kept = pathBlockNext_;
  std::copy(path.begin(), path.end(), kept);
  pathBlockNext_ += path.size();
  pathBlockFree_ -= path.size();
  return std::string_view(kept, path.size());
}

uint32_t RecordStore::addFolder(std::string_view path) {
  folders_.emplace_back(keepPath(path));
  return static_cast<uint32_t>(folders_.size() - 1);
}

uint32_t RecordStore::addFile(uint32_t folder, std::string_view name, const FileEntry& facts) {
  return folders_[folder].addFile(name, facts);
}

std::string_view RecordStore::name(RecordRef r) const {
  if (r.isFolderRecord()) return kFolderRecordName;
  const FolderEntry& entry = folders_[r.folder];
  const FileEntry& file = entry.file(r.file);
  return entry.names().substr(file.nameOffset, file.nameLength);
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
  // The paths stay where they are: their blocks move over with them.
  for (auto& block : other.pathBlocks_) pathBlocks_.push_back(std::move(block));
  other.pathBlocks_.clear();
  other.pathBlockFree_ = 0;
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
