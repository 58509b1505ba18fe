#include "report/tag_prefetch.h"

#include <algorithm>
#include <deque>

#include "platform/file_descriptor.h"
#include "platform/file_facts.h"
#include "platform/reader_protocol.h"
#include "scan/audio_tags.h"
#include "scan/media_files.h"

namespace tallyfold {

namespace {

constexpr size_t kNoSlot = ~size_t{0};
constexpr size_t kBatch = kMaxFilesPerRequest;
// The helpers wait on the readers rather than compute: one per reader.
constexpr unsigned kHelpers = 2;

}  // namespace

TagPrefetch::TagPrefetch(const CancelFlag* cancel, bool tags, bool media)
    : cancel_(cancel), wantTags_(tags), wantMedia_(media) {}

TagPrefetch::~TagPrefetch() {
  finish();
}

void TagPrefetch::start(int folderFd, std::string_view folderPath,
                        const std::vector<std::string_view>& names) {
  finish();
  folderFd_ = folderFd;
  folderPath_ = folderPath;
  slotOf_.assign(names.size(), kNoSlot);
  names_.clear();
  for (size_t row = 0; row < names.size(); ++row) {
    const bool read =
        (wantTags_ && isAudioFileName(names[row])) || (wantMedia_ && isMediaFileName(names[row]));
    if (!read) continue;
    slotOf_[row] = names_.size();
    names_.emplace_back(names[row]);
  }
  tags_.assign(wantTags_ ? names_.size() : 0, AudioTags{});
  media_.assign(wantMedia_ ? names_.size() : 0, MediaFacts{});
  errors_.assign(names_.size(), 0);
  if (names_.empty()) return;
  started_ = true;
  // A block of one batch (an album, most folders) is read by the row writer
  // when its first audio row comes: handing it to a helper would cost more
  // than it saves.
  inlineBatchDone_ = names_.size() > kBatch ? std::optional<bool>() : std::optional<bool>(false);
  if (inlineBatchDone_) return;
  if (!readAhead_) readAhead_ = std::make_unique<ReadAhead>(kHelpers);
  readAhead_->start((names_.size() + kBatch - 1) / kBatch,
                    [this](size_t batch) { readBatch(batch); });
}

bool TagPrefetch::awaitRow(size_t row) {
  if (!started_ || row >= slotOf_.size() || slotOf_[row] == kNoSlot) return false;
  const size_t slot = slotOf_[row];
  if (inlineBatchDone_) {
    if (!*inlineBatchDone_) readBatch(0);
    inlineBatchDone_ = true;
  } else {
    readAhead_->wait(slot / kBatch);
  }
  return true;
}

const AudioTags& TagPrefetch::tagOf(size_t row, int& error) {
  error = 0;
  if (!wantTags_ || !awaitRow(row)) return blank_;
  const size_t slot = slotOf_[row];
  error = errors_[slot];
  return tags_[slot];
}

const MediaFacts& TagPrefetch::mediaOf(size_t row, int& error) {
  error = 0;
  if (!wantMedia_ || !awaitRow(row)) return blankMedia_;
  const size_t slot = slotOf_[row];
  error = errors_[slot];
  return media_[slot];
}

void TagPrefetch::finish() {
  if (started_ && !inlineBatchDone_) readAhead_->finish();
  started_ = false;
}

// Opens the files of one batch (regular files only: a pipe or a device may
// never end) and has their tags and facts read.
void TagPrefetch::readBatch(size_t batch) {
  const size_t first = batch * kBatch;
  const size_t end = std::min(first + kBatch, names_.size());
  std::vector<std::string> paths;
  std::vector<AudioTagFile> tagFiles;
  std::vector<size_t> tagSlots;
  std::vector<MediaFile> mediaFiles;
  std::vector<size_t> mediaSlots;
  std::deque<FileDescriptor> opened;
  paths.reserve(end - first);
  for (size_t slot = first; slot < end; ++slot) {
    paths.push_back(folderPath_ + names_[slot]);
    FileFacts facts;
    int fd = -1;
    int error = examineIn(folderFd_, names_[slot], facts);
    if (error == 0 && facts.isRegular) {
      fd = openForReadingIn(folderFd_, names_[slot], facts);
      if (fd < 0) error = -fd;
    }
    opened.emplace_back(fd);
    errors_[slot] = error;
    if (wantTags_ && isAudioFileName(names_[slot])) {
      tagFiles.push_back({fd, names_[slot], paths.back()});
      tagSlots.push_back(slot);
    }
    if (wantMedia_ && isMediaFileName(names_[slot])) {
      mediaFiles.push_back({fd, names_[slot], paths.back()});
      mediaSlots.push_back(slot);
    }
  }
  readTagsInto(tagFiles, tagSlots);
  readMediaInto(mediaFiles, mediaSlots);
}

void TagPrefetch::readTagsInto(const std::vector<AudioTagFile>& files,
                               const std::vector<size_t>& slots) {
  if (files.empty()) return;
  std::vector<AudioTags> read(files.size());
  readAudioTagsOf(files.data(), files.size(), read.data(), cancel_);
  for (size_t i = 0; i < slots.size(); ++i) tags_[slots[i]] = std::move(read[i]);
}

void TagPrefetch::readMediaInto(const std::vector<MediaFile>& files,
                                const std::vector<size_t>& slots) {
  if (files.empty()) return;
  std::vector<MediaFacts> read(files.size());
  readMediaFactsOf(files.data(), files.size(), read.data(), cancel_);
  for (size_t i = 0; i < slots.size(); ++i) media_[slots[i]] = std::move(read[i]);
}

}  // namespace tallyfold
