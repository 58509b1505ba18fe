#include "report/file_detail_reader.h"

#include "platform/crc32.h"
#include "platform/file_descriptor.h"
#include "platform/sha256.h"
#include "platform/user_names.h"
#include "report/file_details.h"
#include "report/tag_prefetch.h"
#include "scan/media_files.h"

#include <algorithm>

namespace tallyfold {

namespace {

constexpr uint8_t kHiddenOrSystem = kHiddenAttribute | kSystemAttribute;

}  // namespace

FileDetailReader::FileDetailReader(FileDetailChoice choice, const CancelFlag* cancel)
    : choice_(choice), cancel_(cancel) {}

FileDetailReader::~FileDetailReader() = default;

void FileDetailReader::enterFolder(std::string_view folderPath) {
  if (prefetch_) prefetch_->finish();
  expected_.clear();
  nextRow_ = 0;
  folderPath_ = folderPath;
  folder_.close();
  folderTried_ = false;
  folderError_ = 0;
}

int FileDetailReader::openFolder() {
  if (!folderTried_) {
    folderTried_ = true;
    folderError_ = folder_.open(std::string(folderWithoutSlash(folderPath_)));
  }
  return folderError_;
}

void FileDetailReader::expectFiles(const std::vector<std::string_view>& names) {
  // The folder is opened only for a block that holds audio or media files.
  const bool tags = choice_.tags && std::any_of(names.begin(), names.end(), isAudioFileName);
  const bool media = choice_.media && std::any_of(names.begin(), names.end(), isMediaFileName);
  if (!tags && !media) return;
  if (openFolder() != 0) return;
  if (!prefetch_) prefetch_ = std::make_unique<TagPrefetch>(cancel_, choice_.tags, choice_.media);
  expected_.assign(names.begin(), names.end());
  nextRow_ = 0;
  std::string folder(folderPath_);
  if (folder.empty() || folder.back() != '/') folder += '/';
  prefetch_->start(folder_.fd(), folder, names);
}

int FileDetailReader::takeReadAhead(std::string_view name, Needs& needs, FileDetails& details) {
  int error = 0;
  if (nextRow_ < expected_.size() && expected_[nextRow_] == name) {
    int tagError = 0;
    int mediaError = 0;
    if (needs.tags) details.tags = prefetch_->tagOf(nextRow_, tagError);
    if (needs.media) details.media = prefetch_->mediaOf(nextRow_, mediaError);
    needs.tags = needs.media = false;
    error = tagError != 0 ? tagError : mediaError;
  }
  ++nextRow_;
  return error;
}

bool FileDetailReader::readsCrcOf(const FileEntry& entry) const {
  return choice_.crc32 &&
         (choice_.crcOfHiddenAndSystem || (entry.attributes & kHiddenOrSystem) == 0);
}

FileDetailReader::Needs FileDetailReader::needsOf(std::string_view name,
                                                  const FileEntry& entry) const {
  Needs needs;
  needs.version = choice_.version && hasVersionExtension(name);
  needs.crc32 = readsCrcOf(entry);
  // Only files named as audio are opened for their tags.
  needs.tags = choice_.tags && isAudioFileName(name);
  needs.media = choice_.media && isMediaFileName(name);
  return needs;
}

void FileDetailReader::readBytes(int fd, std::string_view name, const Needs& needs,
                                 FileDetails& details, int& error) {
  if (needs.version) details.version = openFileVersionText(fd);
  if (needs.tags) readAudioTags(fd, name, details.tags);
  if (needs.media) {
    const MediaFile file{fd, name, {}};
    readMediaFactsOf(&file, 1, &details.media, cancel_);
  }
  if (needs.crc32) {
    // A cancel ends the read at once; the column stays empty.
    const CrcReading reading = crc32OfOpenFile(fd, cancel_);
    if (reading.crc) details.crc32 = crc32Text(*reading.crc);
    if (reading.error != 0) error = reading.error;
  }
  if (choice_.sha256) {
    const Sha256Reading reading = sha256OfOpenFile(fd, cancel_);
    if (reading.digest) details.sha256 = sha256Text(*reading.digest);
    if (reading.error != 0) error = reading.error;
  }
}

int FileDetailReader::read(std::string_view name, const FileEntry& entry, FileDetails& details) {
  details = FileDetails{};
  Needs needs = needsOf(name, entry);
  const int readAheadError = takeReadAhead(name, needs, details);
  const int error = readOpened(name, needs, details);
  return error != 0 ? error : readAheadError;
}

int FileDetailReader::readOpened(std::string_view name, const Needs& needs, FileDetails& details) {
  const bool bytesWanted = needs.bytes(choice_.sha256);
  if (!bytesWanted && !choice_.owner) return 0;
  int error = openFolder();
  if (error != 0) return error;
  const std::string fileName(name);
  FileFacts facts;
  error = examineIn(folder_.fd(), fileName, facts);
  if (error != 0) return error;
  if (choice_.owner) details.owner = ownerText(facts.uid);
  // Only a regular file is opened: a device or a pipe may never end, and
  // opening a device can do more than give its bytes.
  if (!bytesWanted || !facts.isRegular) return 0;
  const int fd = openForReadingIn(folder_.fd(), fileName, facts);
  if (fd < 0) return -fd;
  FileDescriptor content(fd);
  readBytes(fd, name, needs, details, error);
  return error;
}

}  // namespace tallyfold
