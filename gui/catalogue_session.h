#pragma once
// The window's side of the catalogue: one open connection and the questions
// the Catalogue window asks of it, answered in the rows its lists show, with
// the last fault kept for the message. One session per thread: the search
// worker keeps its own, so a search never waits for the window's queries,
// nor they for it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace tallyfold::gui {

// A match as the results list keeps it: the engine's hit, its texts owned.
struct CatalogueHit {
  std::string path;  // full path, the exact bytes
  uint64_t size = 0;
  int64_t mtime = 0;
  int64_t scanId = 0;
  std::string scanLabel;
};

struct CatalogueDifference {
  ChangeMark mark = ChangeMark::Changed;
  std::string path;
};

// Takes a batch (moving from it) and answers true, or answers false to have
// it grow until the next offer: the window is still busy with the last one.
// The last batch of a search is always taken.
using HitBatchSink = std::function<bool(std::vector<CatalogueHit>& batch, bool last)>;

class CatalogueSession {
 public:
  // The first batch of a search is small, so the first matches show at once;
  // the later ones go out when they are this big or this old.
  static constexpr size_t kFirstBatch = 100;
  static constexpr size_t kBatch = 4000;
  static constexpr int kBatchIntervalMs = 40;
  // A batch the window has not taken yet grows to this size at most; the
  // search then waits for the window, so no batch costs it long to show.
  static constexpr size_t kLargestBatch = 8000;

  // Opens the catalogue file, creating it when missing; on failure every
  // question answers nothing and error() says why.
  explicit CatalogueSession(std::string path);
  ~CatalogueSession();
  CatalogueSession(const CatalogueSession&) = delete;
  CatalogueSession& operator=(const CatalogueSession&) = delete;

  bool isOpen() const { return catalogue_ != nullptr; }
  const CatalogueError& error() const { return error_; }
  const std::string& path() const { return path_; }

  std::vector<ScanSummary> scans();
  bool rename(int64_t scanId, const std::string& label);
  bool remove(int64_t scanId);

  // The matches, handed over in batches; keeps counting past keepAtMost
  // without handing those over. The number of matches (0 when cancelled).
  uint64_t search(const SearchQuery& query, size_t keepAtMost, const CancelFlag& cancel,
                  const HitBatchSink& sink);

  // The sub-folders of a folder (0: the scan's locations).
  std::vector<FolderNode> folders(int64_t scanId, int64_t folderId);
  // The records of a folder's subtree for a report.
  bool loadFolder(int64_t scanId, int64_t folderId, StoredScan& stored, const CancelFlag* cancel);

  std::vector<CatalogueDifference> compare(int64_t olderScan, int64_t newerScan,
                                           const CancelFlag* cancel);

  std::optional<int64_t> add(const NewScan& scan, const ScanResult& result,
                             const CancelFlag* cancel);

 private:
  bool ready();

  std::string path_;
  CatalogueError error_;
  std::unique_ptr<Catalogue> catalogue_;
};

}  // namespace tallyfold::gui
