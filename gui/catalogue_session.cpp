#include "gui/catalogue_session.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tallyfold::gui {

namespace {

// Collects the hits of one search into batches for the sink.
class HitBatcher {
 public:
  HitBatcher(size_t keepAtMost, const HitBatchSink& sink, const CancelFlag& cancel)
      : keepAtMost_(keepAtMost), sink_(sink), cancel_(cancel) {
    batch_.reserve(CatalogueSession::kFirstBatch);
  }

  void take(const SearchHit& hit) {
    ++seen_;
    if (kept_ < keepAtMost_) {
      ++kept_;
      batch_.push_back(CatalogueHit{std::string(hit.path), hit.size, hit.mtime, hit.scanId,
                                    std::string(hit.scanLabel)});
    }
    // The clock is read only now and then; a batch the sink refused is
    // offered again as it grows, and while the search only counts.
    if (batch_.size() >= limit_ || (seen_ % 64 == 0 && !batch_.empty() && old())) flush(false);
  }

  void flush(bool last) {
    if (batch_.empty()) return;
    while (!sink_(batch_, last)) {
      if (batch_.size() < CatalogueSession::kLargestBatch) {
        limit_ =
            std::min(batch_.size() + CatalogueSession::kBatch, CatalogueSession::kLargestBatch);
        return;
      }
      if (cancel_.load()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    batch_ = {};
    batch_.reserve(CatalogueSession::kBatch);
    limit_ = CatalogueSession::kBatch;
    sent_ = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool old() const {
    return Clock::now() - sent_ >= std::chrono::milliseconds(CatalogueSession::kBatchIntervalMs);
  }

  const size_t keepAtMost_;
  const HitBatchSink& sink_;
  const CancelFlag& cancel_;
  std::vector<CatalogueHit> batch_;
  size_t limit_ = CatalogueSession::kFirstBatch;
  size_t kept_ = 0;
  uint64_t seen_ = 0;
  Clock::time_point sent_ = Clock::now();
};

}  // namespace

CatalogueSession::CatalogueSession(std::string path) : path_(std::move(path)) {
  catalogue_ = Catalogue::open(path_, CatalogueAccess::ReadWrite, error_);
}

CatalogueSession::~CatalogueSession() = default;

bool CatalogueSession::ready() {
  if (catalogue_ != nullptr) error_ = {};
  return catalogue_ != nullptr;
}

std::vector<ScanSummary> CatalogueSession::scans() {
  std::vector<ScanSummary> scans;
  if (ready()) catalogue_->listScans(scans, error_);
  return scans;
}

bool CatalogueSession::rename(int64_t scanId, const std::string& label) {
  return ready() && catalogue_->renameScan(scanId, label, error_);
}

bool CatalogueSession::remove(int64_t scanId) {
  return ready() && catalogue_->removeScan(scanId, error_);
}

uint64_t CatalogueSession::search(const SearchQuery& query, size_t keepAtMost,
                                  const CancelFlag& cancel, const HitBatchSink& sink) {
  if (!ready()) return 0;
  HitBatcher batcher(keepAtMost, sink, cancel);
  std::optional<uint64_t> found = catalogue_->search(
      query,
      [&](const SearchHit& hit) {
        batcher.take(hit);
        return true;
      },
      &cancel, error_);
  if (!found) return 0;
  batcher.flush(true);
  return *found;
}

std::vector<FolderNode> CatalogueSession::folders(int64_t scanId, int64_t folderId) {
  FolderChildren children;
  if (ready()) catalogue_->children(scanId, folderId, children, error_);
  return std::move(children.folders);
}

bool CatalogueSession::loadFolder(int64_t scanId, int64_t folderId, StoredScan& stored,
                                  const CancelFlag* cancel) {
  return ready() && catalogue_->loadScan(scanId, folderId, stored, cancel, error_);
}

std::vector<CatalogueDifference> CatalogueSession::compare(int64_t olderScan, int64_t newerScan,
                                                           const CancelFlag* cancel) {
  std::vector<CatalogueDifference> found;
  if (!ready()) return found;
  catalogue_->compareScans(
      olderScan, newerScan,
      [&](ChangeMark mark, std::string_view key) {
        found.push_back(CatalogueDifference{mark, std::string(key)});
      },
      cancel, error_);
  return found;
}

std::optional<int64_t> CatalogueSession::add(const NewScan& scan, const ScanResult& result,
                                             const CancelFlag* cancel) {
  if (!ready()) return std::nullopt;
  return catalogue_->addScan(scan, result, cancel, error_);
}

}  // namespace tallyfold::gui
