#pragma once
// Swaps folders for links to another folder and back, on a thread of its own,
// again and again until destroyed: a tree changing while it is walked.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace tallyfold::test {

class FolderSwapper {
 public:
  // Each of folders is renamed away, replaced by a link to target, and put
  // back, in turn.
  FolderSwapper(std::vector<std::string> folders, std::string target);
  ~FolderSwapper();
  FolderSwapper(const FolderSwapper&) = delete;
  FolderSwapper& operator=(const FolderSwapper&) = delete;

  uint64_t swaps() const { return swaps_; }

 private:
  void run();
  void swapOnce(const std::string& folder);

  std::vector<std::string> folders_;
  std::string target_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> swaps_{0};
  std::thread thread_;
};

}  // namespace tallyfold::test
