#include "scan/walker.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <thread>
#include <utility>

#include "platform/dir_reader.h"
#include "platform/file_facts.h"
#include "scan/walk_order.h"

namespace tallyfold {

namespace {

// The status text names a folder at most once per this many entries.
constexpr uint64_t kStatusPace = 50;

// Folders kept open for opening their sub-folders; beyond this many (a deep
// tree with many folders waiting at every level) sub-folders are opened by
// their whole path, so the walk never runs out of file descriptors.
constexpr int kMostSharedFolders = 256;

std::string_view withoutTrailingSlash(std::string_view folderPath) {
  if (folderPath.size() > 1 && folderPath.back() == '/') folderPath.remove_suffix(1);
  return folderPath;
}

bool isDotOrDotDot(std::string_view name) {
  return name == "." || name == "..";
}

// The last name of a folder path that ends in "/".
std::string lastName(const std::string& folderPath) {
  size_t end = folderPath.size() - 1;
  size_t slash = folderPath.rfind('/', end - 1);
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return folderPath.substr(start, end - start);
}

// A folder still to read, and its parent when that is kept open.
struct PendingFolder {
  uint32_t number = 0;
  SharedFolder* parent = nullptr;
};

// One reading thread's tools and the folder it is reading. The scratch lists
// are reused for every folder, so that a folder's final lists are allocated
// once, at their exact size.
struct ReaderThread {
  DirReader reader;
  uint32_t number = 0;  // of the folder being read
  SharedFolder* parent = nullptr;
  std::string path;
  std::vector<FolderIdentity> above;  // the folders on the way to this one
  bool wasRead = false;
  FolderIdentity identity;
  std::vector<FileEntry> files;
  std::string names;
  std::vector<std::string> subFolderPaths;
  std::vector<uint32_t> subFolderPositions;
  std::vector<ReadFailure> failures;
  uint64_t unreportedEntries = 0;
};

// One location's walk. The folders are read by every thread from a shared stack
// of folders still to read, until none is left and no thread is reading; each
// folder goes into the store as soon as its entry is met, and its files when it
// has been read. Afterwards the folders are put into walk order.
class LocationWalk {
 public:
  LocationWalk(const CurrentLocation& location, WalkContext& context, ScanResult& result)
      : location_(location), context_(context), result_(result), filter_(location.filter) {}

  ScanTotals walk(std::string path);

 private:
  void readAll();
  void work();
  bool take(ReaderThread& thread);
  void finish(ReaderThread& thread);
  ScanTotals emit();

  void WalkFolder(ReaderThread& thread);
  int openFolder(ReaderThread& thread);
  void releaseParent(SharedFolder* parent);
  void keepOpenForSubFolders(ReaderThread& thread, std::vector<PendingFolder>& found);
  void readEntries(ReaderThread& thread);
  bool admitsSubFolder(const std::string& parent, std::string_view name) const;
  bool admitsFile(std::string_view name) const;
  void addSubFolder(std::string_view name, ReaderThread& thread);
  void addFile(std::string_view name, const EntryFacts& facts, ReaderThread& thread);
  void reportEntries(ReaderThread& thread, std::string_view folderShown, uint64_t foldersRead);

  const CurrentLocation& location_;
  WalkContext& context_;
  ScanResult& result_;
  TypeFilter filter_;
  uint32_t first_ = 0;  // the location's first folder in the store

  // Shared by the reading threads, under mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<PendingFolder> pending_;
  unsigned reading_ = 0;
  std::exception_ptr failure_;
  std::vector<FolderLinks> links_;
  std::vector<FolderIdentity> identities_;
  std::vector<std::pair<uint32_t, ReadFailure>> failures_;
  uint64_t filesListed_ = 0;

  std::atomic<uint64_t> entryCounter_{0};
  std::atomic<int> sharedFolders_{0};
};

ScanTotals LocationWalk::walk(std::string path) {
  first_ = result_.store.addFolder(std::move(path));
  links_.push_back(FolderLinks{});
  identities_.push_back(FolderIdentity{});
  pending_.push_back(PendingFolder{0, nullptr});
  readAll();
  return emit();
}

void LocationWalk::readAll() {
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < context_.threads(); ++i) helpers.emplace_back([this] { work(); });
  work();
  for (std::thread& helper : helpers) helper.join();
  for (const PendingFolder& left : pending_) releaseParent(left.parent);
  pending_.clear();
  if (failure_) std::rethrow_exception(failure_);
}

void LocationWalk::work() {
  ReaderThread thread;
  while (take(thread)) {
    try {
      WalkFolder(thread);
      finish(thread);
    } catch (...) {
      // Out of memory and the like: every thread stops, the caller rethrows.
      releaseParent(thread.parent);
      std::lock_guard lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      --reading_;
      wake_.notify_all();
      return;
    }
  }
}

bool LocationWalk::take(ReaderThread& thread) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return !pending_.empty() || reading_ == 0 || failure_; });
  if (pending_.empty() || failure_) {
    wake_.notify_all();
    return false;
  }
  thread.number = pending_.back().number;
  thread.parent = pending_.back().parent;
  pending_.pop_back();
  ++reading_;
  thread.path = result_.store.folder(first_ + thread.number).path;
  thread.above.clear();
  for (uint32_t up = links_[thread.number].parent; up != FolderLinks::kNone;
       up = links_[up].parent) {
    thread.above.push_back(identities_[up]);
  }
  return true;
}

// Hands the folder's files and sub-folders over. The sub-folders go onto the
// stack so that the first comes out on top: reading stays close to walk order
// and the stack stays short.
void LocationWalk::finish(ReaderThread& thread) {
  std::vector<FileEntry> files(thread.files.begin(), thread.files.end());
  std::string names(thread.names);
  thread.files.clear();
  thread.names.clear();
  std::vector<PendingFolder> found(thread.subFolderPaths.size());
  keepOpenForSubFolders(thread, found);

  std::lock_guard lock(mutex_);
  --reading_;
  filesListed_ += files.size();
  if (thread.wasRead) {
    FolderEntry& folder = result_.store.folder(first_ + thread.number);
    folder.files = std::move(files);
    folder.names = std::move(names);
    identities_[thread.number] = thread.identity;
  }
  for (ReadFailure& failure : thread.failures) {
    failures_.emplace_back(thread.number, std::move(failure));
  }
  thread.failures.clear();

  uint32_t firstChild = static_cast<uint32_t>(links_.size());
  uint32_t childCount = static_cast<uint32_t>(thread.subFolderPaths.size());
  links_[thread.number].firstChild = firstChild;
  links_[thread.number].childCount = childCount;
  for (uint32_t i = 0; i < childCount; ++i) {
    result_.store.addFolder(std::move(thread.subFolderPaths[i]));
    links_.push_back(FolderLinks{thread.number, thread.subFolderPositions[i], 0, 0});
    identities_.push_back(FolderIdentity{});
    found[i].number = firstChild + i;
  }
  pending_.insert(pending_.end(), found.rbegin(), found.rend());
  thread.subFolderPaths.clear();
  thread.subFolderPositions.clear();
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

// The folder is opened relative to its parent when the parent is still open.
int LocationWalk::openFolder(ReaderThread& thread) {
  if (thread.parent == nullptr) return thread.reader.open(thread.path);
  int error = thread.reader.openIn(*thread.parent, lastName(thread.path));
  releaseParent(thread.parent);
  thread.parent = nullptr;
  return error;
}

void LocationWalk::releaseParent(SharedFolder* parent) {
  if (parent != nullptr && parent->release()) sharedFolders_.fetch_sub(1);
}

void LocationWalk::keepOpenForSubFolders(ReaderThread& thread, std::vector<PendingFolder>& found) {
  if (!thread.reader.isOpen()) return;
  if (found.empty() || sharedFolders_.fetch_add(1) >= kMostSharedFolders) {
    if (!found.empty()) sharedFolders_.fetch_sub(1);
    thread.reader.close();
    return;
  }
  SharedFolder* shared = thread.reader.share(static_cast<unsigned>(found.size()));
  for (PendingFolder& folder : found) folder.parent = shared;
}

void LocationWalk::WalkFolder(ReaderThread& thread) {
  thread.wasRead = false;
  if (context_.cancelled()) {
    releaseParent(thread.parent);
    thread.parent = nullptr;
    return;
  }
  if (int error = openFolder(thread); error != 0) {
    thread.failures.push_back(ReadFailure{thread.path, error});
    return;
  }
  thread.identity = FolderIdentity{};
  thread.reader.identity(thread.identity);
  thread.wasRead = true;
  // A link back to a folder that is already being walked keeps its folder
  // record, but is not entered again.
  if (std::find(thread.above.begin(), thread.above.end(), thread.identity) == thread.above.end()) {
    readEntries(thread);
    if (int error = thread.reader.readError(); error != 0) {
      thread.failures.push_back(ReadFailure{thread.path, error});
    }
  }
  reportEntries(thread, {}, 1);
}

void LocationWalk::readEntries(ReaderThread& thread) {
  bool filesExcluded = context_.isFolderExcluded(withoutTrailingSlash(thread.path));
  DirEntry entry;
  EntryFacts facts;
  while (thread.reader.next(entry)) {
    if (context_.cancelled()) break;
    ++thread.unreportedEntries;
    std::string_view name = entry.name;
    if (isDotOrDotDot(name)) continue;
    if (entry.kind == EntryKind::Directory) {
      if (admitsSubFolder(thread.path, name)) addSubFolder(name, thread);
      continue;
    }
    bool asFile = !filesExcluded && admitsFile(name);
    if (!asFile && (entry.kind == EntryKind::File || !location_.includeSubFolders)) continue;
    if (int error = thread.reader.examine(entry, facts); error != 0) {
      thread.failures.push_back(ReadFailure{thread.path + std::string(name), error});
      continue;
    }
    if (facts.isDirectory) {
      if (admitsSubFolder(thread.path, name)) addSubFolder(name, thread);
    } else if (asFile) {
      addFile(name, facts, thread);
    }
  }
}

bool LocationWalk::admitsSubFolder(const std::string& parent, std::string_view name) const {
  if (!location_.includeSubFolders) return false;
  bool checkDepth = location_.level != 0;
  bool checkExclusion = context_.skipExcludedFolderTrees();
  if (!checkDepth && !checkExclusion) return true;
  std::string path = parent + std::string(name);
  if (checkDepth && context_.depthRules().FolderDepth(path) > location_.level) return false;
  return !(checkExclusion && context_.isFolderExcluded(path));
}

bool LocationWalk::admitsFile(std::string_view name) const {
  return !isHiddenName(name) && !context_.isFileNameExcluded(name) &&
         !context_.isExtensionExcluded(name) && filter_.admits(name);
}

void LocationWalk::addSubFolder(std::string_view name, ReaderThread& thread) {
  std::string path;
  path.reserve(thread.path.size() + name.size() + 1);
  path.append(thread.path).append(name).append(1, '/');
  thread.subFolderPaths.push_back(std::move(path));
  thread.subFolderPositions.push_back(static_cast<uint32_t>(thread.files.size()));
  reportEntries(thread, thread.subFolderPaths.back(), 0);
}

void LocationWalk::addFile(std::string_view name, const EntryFacts& facts, ReaderThread& thread) {
  FileEntry file;
  file.size = facts.size;
  file.mtime = facts.mtime;
  file.uid = facts.uid;
  file.nameOffset = static_cast<uint32_t>(thread.names.size());
  file.nameLength = static_cast<uint16_t>(name.size());
  file.attributes = attributeWord(facts.mode, isHiddenName(name), -1);
  thread.names.append(name);
  thread.files.push_back(file);
}

// Adds the thread's entries to the location's count; a sub-folder met after
// the count passed another multiple of 50 is shown in the status text.
void LocationWalk::reportEntries(ReaderThread& thread, std::string_view folderShown,
                                 uint64_t foldersRead) {
  uint64_t entries = thread.unreportedEntries;
  thread.unreportedEntries = 0;
  uint64_t before = entryCounter_.fetch_add(entries, std::memory_order_relaxed);
  uint64_t after = before + entries;
  context_.addProgress(entries, foldersRead);
  if (!folderShown.empty() && (before == 0 || before / kStatusPace != after / kStatusPace)) {
    context_.showStatus("Scanning... " + std::string(folderShown));
  }
}

}  // namespace

WalkContext::WalkContext(const ExclusionLists& exclusions, const std::vector<ScanLocation>& rows,
                         bool folderRecords, CancelFlag& cancel, ScanStatus& status)
    : exclusions_(exclusions),
      anyFolders_(!exclusions.folders.empty()),
      anyFileNames_(!exclusions.fileNames.empty()),
      anyExtensions_(!exclusions.extensions.empty()),
      depthRules_([&rows] {
        std::vector<std::string> folders;
        for (const ScanLocation& row : rows) folders.push_back(row.folder);
        return folders;
      }()),
      folderRecords_(folderRecords),
      cancel_(cancel),
      status_(status) {}

bool WalkContext::isFolderExcluded(std::string_view folderPath) const {
  return anyFolders_ && exclusions_.isFolderExcluded(folderPath);
}

bool WalkContext::isFileNameExcluded(std::string_view name) const {
  return anyFileNames_ && exclusions_.isFileNameExcluded(name);
}

bool WalkContext::isExtensionExcluded(std::string_view name) const {
  return anyExtensions_ && exclusions_.isExtensionExcluded(name);
}

void WalkContext::showStatus(std::string_view text) {
  std::lock_guard lock(statusMutex_);
  status_.showStatus(text);
}

void WalkContext::addProgress(uint64_t entries, uint64_t folders) {
  std::lock_guard lock(statusMutex_);
  entriesSeen_ += entries;
  foldersSeen_ += folders;
  status_.showProgress(entriesSeen_, foldersSeen_);
}

unsigned WalkContext::threads() const {
  if (threads_ != 0) return threads_;
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : std::min(cores, 8u);
}

ScanTotals WalkLocation(std::string_view path, const CurrentLocation& location,
                        WalkContext& context, ScanResult& result) {
  std::string folder(path);
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return LocationWalk(location, context, result).walk(std::move(folder));
}

}  // namespace tallyfold
