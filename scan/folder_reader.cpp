#include "scan/folder_reader.h"

#include <algorithm>
#include <utility>

#include "platform/file_facts.h"

namespace tallyfold {

namespace {

// The status text names a folder at most once per this many entries.
constexpr uint64_t kStatusPace = 50;

// Folders kept open for opening their sub-folders; beyond this many (a deep
// tree with many folders waiting at every level) sub-folders are opened by
// their whole path, so the walk never runs out of file descriptors.
constexpr int kMostSharedFolders = 256;

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

}  // namespace

FolderReader::FolderReader(const CurrentLocation& location, std::string root, WalkContext& context)
    : location_(location), root_(std::move(root)), context_(context), filter_(location.filter) {}

// The folder is opened relative to its parent when the parent is still open.
int FolderReader::openFolder(ReaderWorkspace& thread) {
  if (thread.parent == nullptr) return thread.reader.open(thread.path);
  int error = thread.reader.openIn(*thread.parent, lastName(thread.path));
  releaseParent(thread.parent);
  thread.parent = nullptr;
  return error;
}

void FolderReader::releaseParent(SharedFolder* parent) {
  if (parent != nullptr && parent->release()) sharedFolders_.fetch_sub(1);
}

void FolderReader::handOver(ReaderWorkspace& thread, std::vector<PendingFolder>& subFolders) {
  if (!thread.reader.isOpen()) return;
  if (subFolders.empty() || sharedFolders_.fetch_add(1) >= kMostSharedFolders) {
    if (!subFolders.empty()) sharedFolders_.fetch_sub(1);
    thread.reader.close();
    return;
  }
  SharedFolder* shared = thread.reader.share(static_cast<unsigned>(subFolders.size()));
  for (PendingFolder& folder : subFolders) folder.parent = shared;
}

void FolderReader::walkFolder(ReaderWorkspace& thread) {
  thread.wasRead = false;
  if (context_.cancelled()) {
    releaseParent(thread.parent);
    thread.parent = nullptr;
    return;
  }
  if (int error = openFolder(thread); error != 0) {
    thread.failures.push_back(ReadFailure{thread.path, error, {}});
    return;
  }
  thread.identity = FolderIdentity{};
  thread.reader.identity(thread.identity);
  thread.wasRead = true;
  // A folder met again through a link, or a mount that leads back up, keeps
  // its folder record but is not entered again: never while it is being
  // walked, and when links are followed never twice in a scan. The
  // location's own folder is always walked; the user named it.
  bool enter =
      std::find(thread.above.begin(), thread.above.end(), thread.identity) == thread.above.end();
  if (enter && context_.followLinks()) {
    enter = context_.enterOnce(thread.identity) || thread.above.empty();
  }
  if (enter) {
    readEntries(thread);
    if (int error = thread.reader.readError(); error != 0) {
      thread.failures.push_back(ReadFailure{thread.path, error, {}});
    }
  }
  reportEntries(thread, {}, 1);
}

void FolderReader::readEntries(ReaderWorkspace& thread) {
  bool filesExcluded = context_.isFolderExcluded(folderWithoutSlash(thread.path));
  DirEntry entry;
  EntryFacts facts;
  while (thread.reader.next(entry)) {
    if (context_.cancelled()) break;
    ++thread.unreportedEntries;
    std::string_view name = entry.name;
    if (isDotOrDotDot(name)) continue;
    if (entry.kind == EntryKind::Directory) {
      if (admitsSubFolder(thread.path, name)) addSubFolder(name, thread, true);
      continue;
    }
    bool asFile = !filesExcluded && admitsFile(name);
    if (!asFile && (entry.kind == EntryKind::File || !location_.includeSubFolders)) continue;
    if (int error = thread.reader.examine(entry, facts); error != 0) {
      thread.failures.push_back(ReadFailure{thread.path + std::string(name), error, {}});
      continue;
    }
    if (facts.isDirectory) {
      // A link to a folder gets the folder's record; it is entered only
      // when links are followed.
      if (admitsSubFolder(thread.path, name)) {
        addSubFolder(name, thread, !facts.isLink || context_.followLinks());
      }
    } else if (asFile) {
      addFile(name, facts, thread);
    }
  }
}

bool FolderReader::admitsSubFolder(const std::string& parent, std::string_view name) const {
  if (!location_.includeSubFolders) return false;
  if (context_.skipHiddenFolders() && !name.empty() && name.front() == '.') return false;
  bool checkDepth = location_.level != 0;
  bool checkExclusion = context_.skipExcludedFolderTrees();
  if (!checkDepth && !checkExclusion) return true;
  std::string path = parent + std::string(name);
  if (checkDepth && folderDepthBelow(root_, path) > location_.level) return false;
  return !(checkExclusion && context_.isFolderExcluded(path));
}

bool FolderReader::admitsFile(std::string_view name) const {
  return !isHiddenName(name) && !context_.isFileNameExcluded(name) &&
         !context_.isExtensionExcluded(name) && filter_.admits(name);
}

void FolderReader::addSubFolder(std::string_view name, ReaderWorkspace& thread, bool enter) {
  std::string path;
  path.reserve(thread.path.size() + name.size() + 1);
  path.append(thread.path).append(name).append(1, '/');
  thread.subFolderPaths.push_back(std::move(path));
  thread.subFolderPositions.push_back(static_cast<uint32_t>(thread.files.size()));
  thread.subFolderEntered.push_back(enter);
  reportEntries(thread, thread.subFolderPaths.back(), 0);
}

void FolderReader::addFile(std::string_view name, const EntryFacts& facts,
                           ReaderWorkspace& thread) {
  FileEntry file;
  file.size = facts.size;
  file.mtime = facts.mtime;
  file.nameOffset = static_cast<uint32_t>(thread.names.size());
  file.nameLength = static_cast<uint16_t>(name.size());
  file.attributes = attributeWord(facts.mode, isHiddenName(name), -1);
  thread.names.append(name);
  thread.files.push_back(file);
}

// Adds the thread's entries to the location's count; a sub-folder met after
// the count passed another multiple of 50 is shown in the status text.
void FolderReader::reportEntries(ReaderWorkspace& thread, std::string_view folderShown,
                                 uint64_t foldersRead) {
  uint64_t entries = thread.unreportedEntries;
  thread.unreportedEntries = 0;
  uint64_t before = entryCounter_.fetch_add(entries, std::memory_order_relaxed);
  uint64_t after = before + entries;
  context_.addProgress(entries, foldersRead);
  if (!folderShown.empty() && (before == 0 || before / kStatusPace != after / kStatusPace)) {
    context_.showFolder(folderShown);
  }
}

}  // namespace tallyfold
