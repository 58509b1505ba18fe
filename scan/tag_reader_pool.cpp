#include "scan/tag_reader_pool.h"

#include <algorithm>
#include <thread>

namespace tallyfold {

TagReaderPool::TagReaderPool(std::string program, unsigned readers, int timeoutMsPerFile)
    : program_(std::move(program)), timeoutMs_(timeoutMsPerFile) {
  for (unsigned i = 0; i < std::max(1u, readers); ++i) {
    idle_.push_back(std::make_unique<ReaderProcess>(program_, timeoutMs_));
  }
}

TagReaderPool::~TagReaderPool() = default;

TagReaderPool& TagReaderPool::shared() {
  static TagReaderPool pool(readerProgramPath(), std::max(2u, std::thread::hardware_concurrency()),
                            kTagReadMsPerFile);
  return pool;
}

std::unique_ptr<ReaderProcess> TagReaderPool::borrow() {
  std::unique_lock lock(mutex_);
  returned_.wait(lock, [this] { return !idle_.empty(); });
  std::unique_ptr<ReaderProcess> reader = std::move(idle_.back());
  idle_.pop_back();
  return reader;
}

void TagReaderPool::giveBack(std::unique_ptr<ReaderProcess> reader) {
  {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(reader));
  }
  returned_.notify_one();
}

void TagReaderPool::startEarly() {
  std::lock_guard lock(mutex_);
  std::string why;
  for (std::unique_ptr<ReaderProcess>& reader : idle_) {
    if (!reader->startEarly(why)) return;
  }
}

void TagReaderPool::read(const ReaderFile* files, size_t count, ReaderOutcome* outcomes,
                         const CancelFlag* stop) {
  std::unique_ptr<ReaderProcess> reader = borrow();
  size_t done = 0;
  while (done < count) {
    done += reader->read(files + done, count - done, outcomes + done, stop);
  }
  giveBack(std::move(reader));
}

}  // namespace tallyfold
