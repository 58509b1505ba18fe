#pragma once
// Reads the next files of a folder block on helper threads while the current
// row is written, so that a column that reads a whole file (the SHA-256) keeps
// every core busy and the rows keep their order: the work of row i is done by
// a helper or, when no helper has begun it yet, by the row writer itself.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tallyfold {

class ReadAhead {
 public:
  // helpers: 0 means one fewer than the cores (at least one).
  explicit ReadAhead(unsigned helpers = 0);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Starts a batch of count items; work(i) fills the caller's result i. Any
  // batch before is finished first. What work throws on a helper (out of
  // memory) is thrown again by wait().
  void start(size_t count, std::function<void(size_t)> work);
  // Returns once work(index) is done; indexes are awaited in rising order.
  // The caller then reads result index: the lock orders it after the write.
  void wait(size_t index);
  // Claims no more items and waits until the helpers have left the batch; the
  // caller may then drop what work(i) refers to.
  void finish();

  unsigned helperCount() const { return static_cast<unsigned>(threads_.size()); }

 private:
  void helperLoop();
  // Under the lock: the next item a helper may take, or count_ for none.
  bool mayClaim() const;

  std::vector<std::thread> threads_;
  unsigned wantedHelpers_;
  std::mutex mutex_;
  std::condition_variable workReady_;  // helpers wait for items
  std::condition_variable itemDone_;   // the row writer waits for its item
  std::function<void(size_t)> work_;
  std::vector<char> done_;
  size_t count_ = 0;
  size_t next_ = 0;     // the first item nobody has claimed
  size_t awaited_ = 0;  // the item the row writer waits for or writes next
  size_t running_ = 0;  // items the helpers are working on
  bool stopping_ = false;
  std::exception_ptr failure_;  // the first a helper's work threw in this batch
};

}  // namespace tallyfold
