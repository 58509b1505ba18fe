#pragma once
// The tags of the audio files and the media facts of the media files of one
// folder block, read ahead of the rows that show them: the files go to the
// reader processes in batches on helper threads while the rows are written,
// and each row takes its own file's tag and facts, in row order. One open of
// a file serves both.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media_facts.h"
#include "report/read_ahead.h"
#include "scan/audio_tags.h"
#include "scan/media_files.h"
#include "scan/run_control.h"

namespace tallyfold {

class TagPrefetch {
 public:
  // tags, media: which of the two the rows show.
  TagPrefetch(const CancelFlag* cancel, bool tags, bool media);
  ~TagPrefetch();
  TagPrefetch(const TagPrefetch&) = delete;
  TagPrefetch& operator=(const TagPrefetch&) = delete;

  // Starts on a block: folderFd the block's open folder (kept open by the
  // caller until finish), folderPath its path ending in "/", names the
  // block's files in row order. Any block before is finished first.
  void start(int folderFd, std::string_view folderPath, const std::vector<std::string_view>& names);
  // The tag of row index (blank for a file not named as audio); error: 0 or
  // the errno of opening the file. Rows are asked for in rising order.
  const AudioTags& tagOf(size_t row, int& error);
  // The media facts of row index (blank for a file not named as media);
  // error as for tagOf. Rows are asked for in rising order, tagOf first.
  const MediaFacts& mediaOf(size_t row, int& error);
  // Ends the block; the caller may then close its folder.
  void finish();

 private:
  void readBatch(size_t batch);
  void readTagsInto(const std::vector<AudioTagFile>& files, const std::vector<size_t>& slots);
  void readMediaInto(const std::vector<MediaFile>& files, const std::vector<size_t>& slots);
  // Waits until the row's batch is read; false for a row without a slot.
  bool awaitRow(size_t row);

  const CancelFlag* cancel_;
  bool wantTags_;
  bool wantMedia_;
  std::unique_ptr<ReadAhead> readAhead_;
  int folderFd_ = -1;
  std::string folderPath_;
  std::vector<size_t> slotOf_;      // per row: its slot, or none
  std::vector<std::string> names_;  // per slot: the files read
  std::vector<AudioTags> tags_;     // per slot
  std::vector<MediaFacts> media_;   // per slot
  std::vector<int> errors_;         // per slot
  AudioTags blank_;
  MediaFacts blankMedia_;
  bool started_ = false;
  // For a block of one batch, read by the row writer: whether it was read.
  std::optional<bool> inlineBatchDone_;
};

}  // namespace tallyfold
