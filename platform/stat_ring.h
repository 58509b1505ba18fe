#pragma once
// Many look-ups of one open folder's entries in flight at once, through an
// io_uring ring: the walk queues statx requests for a whole batch of entries
// and the kernel answers them side by side, so a file system that takes its
// time over each answer (a share, a FUSE mount) is waited on once per batch
// instead of once per file, and a local disk saves most of a system call per
// entry. Where the kernel has no io_uring, or a sandbox refuses it, the walk
// examines its entries one call at a time instead.

#include <cstddef>
#include <memory>
#include <span>

#include "platform/dir_reader.h"

namespace tallyfold {

// What statRingRefusal() gives when the environment turned the ring off
// (TALLYFOLD_WALK=plain): for comparing the two ways of walking.
inline constexpr int kRingTurnedOff = -1;

// Where a ring pays: measured on a page-cached local disk, the kernel hands
// every statx of a ring to worker threads of its own, which costs more than
// the call it saves, so local folders are examined one call per entry; a
// file system that answers over a wire or through a program (NFS, SMB, FUSE)
// gains from every request in flight. TALLYFOLD_WALK=ring uses the ring on
// every file system, for benchmarks and for tests of the ring on local trees.
bool ringOnLocalDisks();

// 0 when this process can set up a ring; else the errno of the refusal, or
// kRingTurnedOff. Decided once per process.
int statRingRefusal();

// The most look-ups one ring keeps in flight.
inline constexpr unsigned kRingLookupsInFlight = 128;

class StatRing {
 public:
  // nullptr when no ring can be set up.
  static std::unique_ptr<StatRing> create();
  ~StatRing();
  StatRing(const StatRing&) = delete;
  StatRing& operator=(const StatRing&) = delete;

  // Looks up every entry of the open folder folderFd that the lookups name,
  // and marks each one answered done. Stops early, leaving the rest not done,
  // when cancel is set; false when the ring failed and should not be used
  // again (the entries not done are then looked up some other way).
  bool lookUpAll(int folderFd, std::span<EntryLookup*> lookups, const std::atomic<bool>& cancel);
  // After a failure: no longer usable.
  bool usable() const { return ring_ != nullptr; }

 private:
  struct Ring;
  explicit StatRing(std::unique_ptr<Ring> ring);
  bool queue(int folderFd, EntryLookup& lookup, unsigned slot);
  void answer(unsigned slot, int result);
  bool withdrawAll();
  void awaitSent();

  std::unique_ptr<Ring> ring_;
};

}  // namespace tallyfold
