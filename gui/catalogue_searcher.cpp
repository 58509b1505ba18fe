#include "gui/catalogue_searcher.h"

#include <QMetaObject>
#include <memory>

namespace tallyfold::gui {

CatalogueSearcher::CatalogueSearcher(std::string cataloguePath, size_t keepAtMost, QObject* parent)
    : QObject(parent),
      path_(std::move(cataloguePath)),
      keepAtMost_(keepAtMost),
      worker_([this] { work(); }) {}

CatalogueSearcher::~CatalogueSearcher() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    pending_.reset();
  }
  cancel_.store(true);
  wake_.notify_one();
  worker_.join();
}

uint64_t CatalogueSearcher::search(SearchQuery query) {
  uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    generation = ++generation_;
    pending_ = std::move(query);
    pendingGeneration_ = generation;
    cancel_.store(true);
  }
  wake_.notify_one();
  return generation;
}

void CatalogueSearcher::cancel() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    pending_.reset();
    cancel_.store(true);
  }
}

// The worker opens the catalogue on its own thread, once, and keeps it: the
// first key a user types is answered without opening the file again.
void CatalogueSearcher::work() {
  std::unique_ptr<CatalogueSession> session;
  for (;;) {
    SearchQuery query;
    uint64_t generation = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || pending_.has_value(); });
      if (quit_) return;
      query = std::move(*pending_);
      pending_.reset();
      generation = pendingGeneration_;
      cancel_.store(false);
    }
    if (!session) session = std::make_unique<CatalogueSession>(path_);
    runQuery(*session, query, generation);
  }
}

void CatalogueSearcher::runQuery(CatalogueSession& session, const SearchQuery& query,
                                 uint64_t generation) {
  const uint64_t found =
      session.search(query, keepAtMost_, cancel_, [&](std::vector<CatalogueHit>& batch, bool last) {
        return deliver(generation, batch, last);
      });
  if (cancel_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this, generation, found] {
        if (generation == generation_.load()) emit searchEnded(found);
      },
      Qt::QueuedConnection);
}

bool CatalogueSearcher::deliver(uint64_t generation, std::vector<CatalogueHit>& batch, bool last) {
  if (generation != generation_.load()) {
    batch.clear();
    return true;
  }
  if (batchInFlight_.exchange(true) && !last) return false;
  QMetaObject::invokeMethod(
      this,
      [this, generation, batch = std::move(batch)] {
        batchInFlight_.store(false);
        if (generation == generation_.load()) emit hitsFound(batch);
      },
      Qt::QueuedConnection);
  return true;
}

}  // namespace tallyfold::gui
