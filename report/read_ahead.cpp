#include "report/read_ahead.h"

#include <algorithm>
#include <system_error>

namespace tallyfold {

namespace {

// How far the helpers may run ahead of the row being written: enough to keep
// them busy over a run of small files, few enough that a cancelled report
// does not leave much read for nothing.
constexpr size_t kWindow = 32;

}  // namespace

ReadAhead::ReadAhead(unsigned helpers) : wantedHelpers_(helpers) {
  if (wantedHelpers_ == 0) {
    unsigned cores = std::thread::hardware_concurrency();
    wantedHelpers_ = std::clamp(cores, 2u, 8u) - 1;
  }
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    count_ = next_;  // nothing more is claimed
  }
  workReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool ReadAhead::mayClaim() const {
  return next_ < count_ && next_ < awaited_ + kWindow;
}

void ReadAhead::start(size_t count, std::function<void(size_t)> work) {
  finish();
  // The helpers start with the first batch, so a report whose blocks never
  // need them starts none; one that cannot be started leaves the work to the
  // row writer.
  while (threads_.size() < wantedHelpers_) {
    try {
      threads_.emplace_back([this] { helperLoop(); });
    } catch (const std::system_error&) {
      wantedHelpers_ = static_cast<unsigned>(threads_.size());
    }
  }
  {
    std::lock_guard lock(mutex_);
    work_ = std::move(work);
    done_.assign(count, 0);
    count_ = count;
    next_ = 0;
    awaited_ = 0;
    failure_ = nullptr;
  }
  workReady_.notify_all();
}

void ReadAhead::wait(size_t index) {
  std::unique_lock lock(mutex_);
  awaited_ = index;
  if (index < next_) {
    // A helper has it, or had it.
    workReady_.notify_all();  // the window moved on
    itemDone_.wait(lock, [&] { return done_[index] != 0; });
    if (failure_) std::rethrow_exception(failure_);
    return;
  }
  // Nobody has begun it: the row writer does it here, and the ones before it
  // that were skipped are claimed too so no helper takes them later.
  next_ = index + 1;
  lock.unlock();
  workReady_.notify_all();
  work_(index);
  lock.lock();
  done_[index] = 1;
}

void ReadAhead::finish() {
  std::unique_lock lock(mutex_);
  count_ = next_;
  itemDone_.wait(lock, [&] { return running_ == 0; });
  work_ = nullptr;
}

void ReadAhead::helperLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    workReady_.wait(lock, [&] { return stopping_ || mayClaim(); });
    if (stopping_) return;
    const size_t index = next_++;
    ++running_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      work_(index);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    if (failure && !failure_) failure_ = failure;
    done_[index] = 1;
    --running_;
    itemDone_.notify_all();
  }
}

}  // namespace tallyfold
