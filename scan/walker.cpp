#include "scan/walker.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <thread>
#include <utility>

#include "platform/file_system_kind.h"
#include "platform/stat_ring.h"
#include "scan/folder_reader.h"
#include "scan/walk_order.h"

namespace tallyfold {

namespace {

// One location's walk. Every thread takes folders from a shared stack of
// folders still to read, until none is left and no thread is reading. A folder
// goes into the store as soon as its entry is met, and its files when it has
// been read; afterwards the folders are put into walk order.
class LocationWalk {
 public:
  LocationWalk(const CurrentLocation& location, const std::string& path, WalkContext& context,
               ScanResult& result)
      : context_(context), result_(result), reader_(location, path, context) {}

  ScanTotals walk(std::string path);

 private:
  void readAll();
  void work();
  bool take(uint32_t& number, ReaderWorkspace& thread);
  void finish(uint32_t number, ReaderWorkspace& thread);
  void stop(ReaderWorkspace& thread);
  ScanTotals emit();

  WalkContext& context_;
  ScanResult& result_;
  FolderReader reader_;
  uint32_t first_ = 0;  // the location's first folder in the store
  unsigned threads_ = 1;
  bool withRing_ = false;

  // Shared by the reading threads, under mutex_; folders are numbered from 0
  // in the order their entries were met.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<PendingFolder> pending_;
  unsigned reading_ = 0;
  std::exception_ptr failure_;
  std::vector<FolderLinks> links_;
  // A folder's identity: as its entry gave it until it is read, as opened after.
  std::vector<FolderIdentity> identities_;
  std::vector<std::pair<uint32_t, ReadFailure>> failures_;
  uint64_t filesListed_ = 0;
};

ScanTotals LocationWalk::walk(std::string path) {
  const bool distant = isOnDistantFileSystem(path);
  threads_ = context_.threads(distant);
  withRing_ = distant || ringOnLocalDisks();
  first_ = result_.store.addFolder(std::move(path));
  links_.push_back(FolderLinks{});
  identities_.push_back(FolderIdentity{});
  pending_.push_back(PendingFolder{0, nullptr});
  readAll();
  return emit();
}

void LocationWalk::readAll() {
  std::vector<std::thread> helpers;
  // A helper that cannot be started (no memory, no more threads) leaves its
  // share to the others.
  try {
    helpers.reserve(threads_);
    for (unsigned i = 1; i < threads_; ++i) helpers.emplace_back([this] { work(); });
  } catch (const std::exception&) {
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  for (const PendingFolder& left : pending_) reader_.releaseParent(left.parent);
  pending_.clear();
  if (failure_) std::rethrow_exception(failure_);
}

void LocationWalk::work() {
  ReaderWorkspace thread;
  // Many look-ups in flight where they pay and the system allows a ring;
  // one call per entry elsewhere.
  if (withRing_) thread.reader.startRing();
  uint32_t number = 0;
  while (take(number, thread)) {
    try {
      reader_.walkFolder(thread);
      finish(number, thread);
    } catch (...) {
      stop(thread);
      return;
    }
  }
}

bool LocationWalk::take(uint32_t& number, ReaderWorkspace& thread) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return !pending_.empty() || reading_ == 0 || failure_; });
  if (pending_.empty() || failure_) {
    wake_.notify_all();
    return false;
  }
  number = pending_.back().number;
  thread.parent = pending_.back().parent;
  pending_.pop_back();
  ++reading_;
  thread.path = result_.store.folder(first_ + number).path;
  thread.isLocationFolder = number == 0;
  thread.expected = identities_[number];
  thread.above.clear();
  for (uint32_t up = links_[number].parent; up != FolderLinks::kNone; up = links_[up].parent) {
    thread.above.push_back(identities_[up]);
  }
  return true;
}

// Hands the folder's files and sub-folders over. The sub-folders to enter go
// onto the stack so that the first comes out on top: reading stays close to
// walk order and the stack stays short.
void LocationWalk::finish(uint32_t number, ReaderWorkspace& thread) {
  FolderEntry listing;
  listing.setFiles(thread.files, thread.names);
  thread.files.clear();
  thread.names.clear();
  std::vector<PendingFolder> found(static_cast<size_t>(
      std::count(thread.subFolderEntered.begin(), thread.subFolderEntered.end(), true)));
  reader_.handOver(thread, found);

  std::lock_guard lock(mutex_);
  --reading_;
  filesListed_ += listing.fileCount();
  if (thread.wasRead) {
    FolderEntry& folder = result_.store.folder(first_ + number);
    listing.path = folder.path;
    folder = std::move(listing);
    identities_[number] = thread.identity;
  }
  for (ReadFailure& failure : thread.failures) failures_.emplace_back(number, std::move(failure));
  thread.failures.clear();

  uint32_t firstChild = static_cast<uint32_t>(links_.size());
  uint32_t childCount = static_cast<uint32_t>(thread.subFolderPaths.size());
  links_[number].firstChild = firstChild;
  links_[number].childCount = childCount;
  size_t entered = 0;
  for (uint32_t i = 0; i < childCount; ++i) {
    result_.store.addFolder(std::move(thread.subFolderPaths[i]));
    links_.push_back(FolderLinks{number, thread.subFolderPositions[i], 0, 0});
    identities_.push_back(thread.subFolderIdentities[i]);
    if (thread.subFolderEntered[i]) found[entered++].number = firstChild + i;
  }
  pending_.insert(pending_.end(), found.rbegin(), found.rend());
  thread.subFolderPaths.clear();
  thread.subFolderPositions.clear();
  thread.subFolderIdentities.clear();
  thread.subFolderEntered.clear();
  wake_.notify_all();
}

// Out of memory and the like: every thread stops, the caller rethrows.
void LocationWalk::stop(ReaderWorkspace& thread) {
  reader_.releaseParent(thread.parent);
  thread.parent = nullptr;
  std::lock_guard lock(mutex_);
  if (!failure_) failure_ = std::current_exception();
  --reading_;
  wake_.notify_all();
}

ScanTotals LocationWalk::emit() {
  identities_ = {};
  result_.records.reserve(result_.records.size() + filesListed_ +
                          (context_.folderRecords() ? links_.size() : 0));
  std::vector<uint32_t> walkOrder;
  ScanTotals totals = emitInWalkOrder(result_.store, first_, links_, context_.folderRecords(),
                                      result_.records, walkOrder);
  links_ = {};
  std::stable_sort(failures_.begin(), failures_.end(), [&walkOrder](auto& a, auto& b) {
    return walkOrder[a.first] < walkOrder[b.first];
  });
  for (auto& failure : failures_) result_.failures.push_back(std::move(failure.second));
  return totals;
}

}  // namespace

ScanTotals walkLocation(std::string_view path, const CurrentLocation& location,
                        WalkContext& context, ScanResult& result) {
  std::string folder(path);
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return LocationWalk(location, folder, context, result).walk(std::move(folder));
}

}  // namespace tallyfold
