#include "listing/file_detail_reader.h"

#include <algorithm>

#include "platform/crc32.h"
#include "platform/file_descriptor.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"
#include "platform/user_names.h"
#include "report/file_details.h"
#include "report/listing_text.h"
#include "report/tag_prefetch.h"
#include "scan/audio_tags.h"

namespace tallyfold {

namespace {

std::string attributeLetters(uint8_t attributes) {
  std::string letters = attributeText(attributes);
  std::erase(letters, ' ');
  return letters;
}

// Tag fields are padded to their width in the file; a listing holds the text.
std::string tagValue(const std::string& field) {
  return std::string(trimText(field));
}

}  // namespace

FileDetailReader::FileDetailReader(std::vector<ListingColumn> columns, const CancelFlag* cancel)
    : columns_(std::move(columns)), cancel_(cancel) {
  for (ListingColumn column : columns_) {
    const bool tagColumn = column >= ListingColumn::Title && column <= ListingColumn::Comment;
    if (tagColumn) wantsTags_ = true;
    if (readsFileBytes(column) && !tagColumn) wantsBytes_ = true;
    if (column == ListingColumn::Owner) wantsOwner_ = true;
  }
}

FileDetailReader::~FileDetailReader() = default;

void FileDetailReader::enterFolder(std::string_view folderPath) {
  if (tags_) tags_->finish();
  expected_.clear();
  nextRow_ = 0;
  folderPath_ = folderPath;
  folder_.reset();
  folderTried_ = false;
  folderError_ = 0;
}

void FileDetailReader::expectFiles(const std::vector<std::string_view>& names) {
  // The folder is opened only for a block that holds audio files.
  if (!wantsTags_ || std::none_of(names.begin(), names.end(), isAudioFileName)) return;
  if (openFolder() != 0) return;
  if (!tags_) tags_ = std::make_unique<TagPrefetch>(cancel_);
  expected_.assign(names.begin(), names.end());
  nextRow_ = 0;
  tags_->start(folder_->fd(), folderPath_, names);
}

int FileDetailReader::openFolder() {
  if (!folderTried_) {
    folderTried_ = true;
    folder_ = std::make_unique<FolderHandle>();
    folderError_ = folder_->open(std::string(folderWithoutSlash(folderPath_)));
  }
  return folderError_;
}

int FileDetailReader::read(std::string_view name, const FileEntry& entry,
                           std::vector<std::string>& values) {
  values.assign(columns_.size(), std::string());
  const std::string fileName(name);
  // The tag read ahead for this row, when the rows come as announced.
  const Mp3Tag* readAhead = nullptr;
  int error = 0;
  if (nextRow_ < expected_.size() && expected_[nextRow_] == name) {
    readAhead = &tags_->tagOf(nextRow_, error);
  }
  ++nextRow_;
  const bool tagBytesWanted = wantsTags_ && readAhead == nullptr && isAudioFileName(name);
  FileFacts facts;
  bool examined = false;
  int fd = -1;
  if (wantsBytes_ || wantsOwner_ || tagBytesWanted) {
    const int folderError = openFolder();
    int examineError = folderError;
    if (folderError == 0) examineError = examineIn(folder_->fd(), fileName, facts);
    examined = examineError == 0;
    if (error == 0) error = examineError;
    // Only a regular file is opened: a device or a pipe may never end.
    if (examined && facts.isRegular && (wantsBytes_ || tagBytesWanted)) {
      fd = openForReadingIn(folder_->fd(), fileName);
      if (fd < 0 && error == 0) error = -fd;
    }
  }
  FileDescriptor content(fd);
  Mp3Tag tag;
  bool tagRead = readAhead != nullptr;
  if (readAhead != nullptr) tag = *readAhead;
  for (size_t i = 0; i < columns_.size(); ++i) {
    std::string& value = values[i];
    switch (columns_[i]) {
      case ListingColumn::Attributes:
        value = attributeLetters(entry.attributes);
        break;
      case ListingColumn::Owner:
        if (examined) value = ownerText(facts.uid);
        break;
      case ListingColumn::Version:
        if (fd >= 0 && hasVersionExtension(fileName)) value = openFileVersionText(fd);
        break;
      case ListingColumn::Crc32:
        if (fd >= 0) {
          const CrcReading reading = crc32OfOpenFile(fd, cancel_);
          if (reading.crc) value = crc32Text(*reading.crc);
          if (reading.error != 0) error = reading.error;
        }
        break;
      case ListingColumn::Sha256:
        if (fd >= 0) {
          const Sha256Reading reading = sha256OfOpenFile(fd, cancel_);
          if (reading.digest) value = sha256Text(*reading.digest);
          if (reading.error != 0) error = reading.error;
        }
        break;
      default:
        // Only files named as audio are read for tags.
        if (!tagRead && fd >= 0) readAudioTag(fd, fileName, tag);
        tagRead = true;
        if (columns_[i] == ListingColumn::Title) value = tagValue(tag.title);
        if (columns_[i] == ListingColumn::Artist) value = tagValue(tag.artist);
        if (columns_[i] == ListingColumn::Album) value = tagValue(tag.album);
        if (columns_[i] == ListingColumn::Year) value = tagValue(tag.year);
        if (columns_[i] == ListingColumn::Genre) value = tag.genreName;
        if (columns_[i] == ListingColumn::Comment) value = tagValue(tag.comment);
        break;
    }
  }
  return error;
}

}  // namespace tallyfold
