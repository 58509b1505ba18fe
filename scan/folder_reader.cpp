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

// The last name of a folder path that ends in "/".
std::string lastName(const std::string& folderPath) {
  size_t end = folderPath.size() - 1;
  size_t slash = folderPath.rfind('/', end - 1);
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return folderPath.substr(start, end - start);
}

// Said of a sub-folder whose entry led somewhere else when it was opened.
constexpr const char* kFolderChangedProblem = "the folder changed during the scan";

}  // namespace

FolderReader::FolderReader(const CurrentLocation& location, std::string root, WalkContext& context)
    : rules_(location, std::move(root), context), context_(context) {}

// The folder is opened relative to its parent when the parent is still open.
// A sub-folder is entered only when it is still the folder its entry
// described, so a folder swapped for a link while the walk runs never leads
// out of the location.
int FolderReader::openFolder(ReaderWorkspace& thread) {
  if (thread.isLocationFolder) return thread.reader.open(thread.path);
  const SubFolderOpening opening{thread.expected, context_.followLinks()};
  if (thread.parent == nullptr) return thread.reader.openSubFolder(thread.path, opening);
  int error = thread.reader.openIn(*thread.parent, lastName(thread.path), opening);
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
    addFailure(thread, thread.path, error);
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
    if (int error = thread.reader.readError(); error != 0) addFailure(thread, thread.path, error);
  }
  reportEntries(thread, {}, 1);
}

// The listing is read a batch at a time: the rules decide on every entry of
// the batch by name and kind, the look-ups the batch needs are made all
// together (many in flight where a ring can be used), and the entries are
// then taken in listing order.
void FolderReader::readEntries(ReaderWorkspace& thread) {
  const EntryRules::InFolder rules = rules_.inFolder(thread.path);
  while (!context_.cancelled() && thread.reader.readBatch()) {
    collectBatch(rules, thread);
    thread.reader.examineAll(thread.lookups, context_.cancelFlag());
    if (context_.cancelled()) break;
    for (size_t i = 0; i < thread.lookups.size(); ++i) {
      takeEntry(rules, thread.lookups[i], thread.decisions[i], thread);
    }
  }
  thread.lookups.clear();
  thread.decisions.clear();
}

void FolderReader::collectBatch(const EntryRules::InFolder& rules, ReaderWorkspace& thread) {
  thread.lookups.clear();
  thread.decisions.clear();
  DirEntry entry;
  while (thread.reader.nextInBatch(entry)) {
    ++thread.unreportedEntries;
    const EntryDecision decision = rules.decide(entry.name, entry.kind);
    if (decision.action == EntryAction::Skip) continue;
    EntryLookup& lookup = thread.lookups.emplace_back();
    lookup.entry = entry;
    if (decision.action == EntryAction::Examine) {
      lookup.what = LookUp::Entry;
    } else if (decision.action == EntryAction::AddSubFolder && decision.enter) {
      lookup.what = LookUp::SubFolder;
    }
    thread.decisions.push_back(decision);
  }
}

void FolderReader::takeEntry(const EntryRules::InFolder& rules, const EntryLookup& lookup,
                             EntryDecision decision, ReaderWorkspace& thread) {
  const bool examined = lookup.what == LookUp::Entry;
  if (examined) {
    if (lookup.error != 0) {
      addFailure(thread, thread.path + std::string(lookup.entry.name), lookup.error);
      return;
    }
    decision = rules.decide(lookup.entry.name, lookup.entry.kind, &lookup.facts);
  }
  if (decision.action == EntryAction::AddSubFolder) {
    addSubFolder(lookup, examined, decision.enter, thread);
  } else if (decision.action == EntryAction::AddFile) {
    addFile(lookup.entry.name, lookup.facts, thread);
  }
}

// A sub-folder's identity comes from its examined facts, or, for an entry the
// listing named a folder, from a look at the entry itself; the folder opened
// later must match it.
void FolderReader::addSubFolder(const EntryLookup& lookup, bool examined, bool enter,
                                ReaderWorkspace& thread) {
  const std::string_view name = lookup.entry.name;
  std::string path;
  path.reserve(thread.path.size() + name.size() + 1);
  path.append(thread.path).append(name).append(1, '/');
  FolderIdentity identity;
  if (examined || lookup.what == LookUp::SubFolder) {
    if (!examined && lookup.error != 0) {
      addFailure(thread, path, lookup.error);
      enter = false;
    } else {
      identity = FolderIdentity{lookup.facts.device, lookup.facts.inode};
    }
  }
  thread.subFolderPaths.push_back(std::move(path));
  thread.subFolderPositions.push_back(static_cast<uint32_t>(thread.files.size()));
  thread.subFolderIdentities.push_back(identity);
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

void FolderReader::addFailure(ReaderWorkspace& thread, std::string path, int error) {
  if (error == kFolderChanged) {
    thread.failures.push_back(ReadFailure{std::move(path), 0, kFolderChangedProblem});
  } else {
    thread.failures.push_back(ReadFailure{std::move(path), error, {}});
  }
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
