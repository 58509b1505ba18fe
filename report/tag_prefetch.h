#pragma once
// The tags of the audio files of one folder block, read ahead of the rows
// that show them: the files go to the tag reader processes in batches on
// helper threads while the rows are written, and each row takes its own
// file's tag, in row order.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/read_ahead.h"
#include "scan/audio_tags.h"
#include "scan/run_control.h"

namespace tallyfold {

class TagPrefetch {
 public:
  explicit TagPrefetch(const CancelFlag* cancel);
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
  // Ends the block; the caller may then close its folder.
  void finish();

 private:
  void readBatch(size_t batch);

  const CancelFlag* cancel_;
  std::unique_ptr<ReadAhead> readAhead_;
  int folderFd_ = -1;
  std::string folderPath_;
  std::vector<size_t> slotOf_;      // per row: its audio slot, or none
  std::vector<std::string> names_;  // per audio slot
  std::vector<AudioTags> tags_;     // per audio slot
  std::vector<int> errors_;         // per audio slot
  AudioTags blank_;
  bool started_ = false;
  // For a block of one batch, read by the row writer: whether it was read.
  std::optional<bool> inlineBatchDone_;
};

}  // namespace tallyfold
