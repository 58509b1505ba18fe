#pragma once
// The Catalogue window's search: one worker thread with its own connection to
// the catalogue, and only the latest query matters. A new query sets the
// running one's cancel flag and is picked up as soon as that one gives up;
// the window thread never waits for the worker. The matches come back to the
// window thread in batches, each tagged with its query's number, so a batch
// of an abandoned query is dropped on arrival.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/catalogue_session.h"

namespace tallyfold::gui {

class CatalogueSearcher : public QObject {
  Q_OBJECT

 public:
  // Past keepAtMost matches a search only counts.
  CatalogueSearcher(std::string cataloguePath, size_t keepAtMost, QObject* parent = nullptr);
  // Cancels the running search and ends the worker.
  ~CatalogueSearcher() override;

  // Abandons the search running (if any) and starts this one; its number.
  uint64_t search(SearchQuery query);
  // Abandons the search running without starting another.
  void cancel();
  uint64_t current() const { return generation_.load(); }

 signals:
  // On the window thread, only for the current query.
  void hitsFound(const std::vector<CatalogueHit>& batch);
  void searchEnded(quint64 found);

 private:
  void work();
  void runQuery(CatalogueSession& session, const SearchQuery& query, uint64_t generation);
  bool deliver(uint64_t generation, std::vector<CatalogueHit>& batch, bool last);

  const std::string path_;
  const size_t keepAtMost_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<SearchQuery> pending_;
  uint64_t pendingGeneration_ = 0;
  bool quit_ = false;
  std::atomic<bool> cancel_{false};
  std::atomic<uint64_t> generation_{0};
  // A batch is on its way to the window: the next one waits and grows, so
  // the window never has a queue of batches to work through at once.
  std::atomic<bool> batchInFlight_{false};
  std::thread worker_;
};

}  // namespace tallyfold::gui
