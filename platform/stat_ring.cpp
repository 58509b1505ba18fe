#include "platform/stat_ring.h"

#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tallyfold {

namespace {

// Room for the requests in flight and as many again being answered.
constexpr unsigned kRingEntries = 2 * kRingLookupsInFlight;

// The request that withdraws the others is told from them by this mark.
constexpr uint64_t kWithdrawal = UINT64_MAX;

constexpr unsigned kLookedUpFields = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO;

bool walkChoiceIs(const char* choice) {
  const char* walk = std::getenv("TALLYFOLD_WALK");
  return walk != nullptr && std::strcmp(walk, choice) == 0;
}

bool ringTurnedOff() {
  return walkChoiceIs("plain");
}

// The ring is used by the thread that made it only; where the kernel knows
// this (6.1 and later), answers are gathered when that thread asks for them
// rather than whenever it enters the kernel.
int setUpRing(io_uring& ring) {
  int error = io_uring_queue_init(kRingEntries, &ring,
                                  IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN);
  if (error == -EINVAL) error = io_uring_queue_init(kRingEntries, &ring, 0);
  return -error;
}

int probeRing() {
  if (ringTurnedOff()) return kRingTurnedOff;
  io_uring ring;
  if (int error = setUpRing(ring); error != 0) return error;
  io_uring_queue_exit(&ring);
  return 0;
}

}  // namespace

bool ringOnLocalDisks() {
  static const bool everywhere = walkChoiceIs("ring");
  return everywhere;
}

int statRingRefusal() {
  static const int refusal = probeRing();
  return refusal;
}

struct StatRing::Ring {
  io_uring ring;
  // One answer buffer and one lookup per request in flight.
  std::array<struct statx, kRingLookupsInFlight> answers;
  std::array<EntryLookup*, kRingLookupsInFlight> asked{};
};

StatRing::StatRing(std::unique_ptr<Ring> ring) : ring_(std::move(ring)) {}

StatRing::~StatRing() {
  if (ring_) io_uring_queue_exit(&ring_->ring);
}

std::unique_ptr<StatRing> StatRing::create() {
  if (statRingRefusal() != 0) return nullptr;
  auto ring = std::make_unique<Ring>();
  if (setUpRing(ring->ring) != 0) return nullptr;
  return std::unique_ptr<StatRing>(new StatRing(std::move(ring)));
}

// A sub-folder is looked at as itself, an entry as what it leads to: the
// same look-ups DirReader::examine and examineSubFolder make.
bool StatRing::queue(int folderFd, EntryLookup& lookup, unsigned slot) {
  io_uring_sqe* request = io_uring_get_sqe(&ring_->ring);
  if (request == nullptr) return false;
  const int flags =
      AT_STATX_SYNC_AS_STAT | (lookup.what == LookUp::SubFolder ? AT_SYMLINK_NOFOLLOW : 0);
  io_uring_prep_statx(request, folderFd, lookup.entry.name.data(), flags, kLookedUpFields,
                      &ring_->answers[slot]);
  io_uring_sqe_set_data64(request, slot);
  ring_->asked[slot] = &lookup;
  return true;
}

void StatRing::answer(unsigned slot, int result) {
  EntryLookup& lookup = *ring_->asked[slot];
  ring_->asked[slot] = nullptr;
  lookup.done = true;
  if (result < 0) {
    lookup.error = -result;
    return;
  }
  const struct statx& st = ring_->answers[slot];
  lookup.error = 0;
  if (lookup.what == LookUp::SubFolder && !S_ISDIR(st.stx_mode)) lookup.error = kFolderChanged;
  EntryFacts& facts = lookup.facts;
  facts.size = st.stx_size;
  facts.mtime = st.stx_mtime.tv_sec;
  facts.mode = st.stx_mode;
  facts.device = makedev(st.stx_dev_major, st.stx_dev_minor);
  facts.inode = st.stx_ino;
  facts.isDirectory = S_ISDIR(st.stx_mode);
  facts.isLink = false;
}

// Keeps up to kRingLookupsInFlight requests queued: each round submits what
// was queued, waits for at least one answer, takes every answer there is and
// fills the freed places again.
bool StatRing::lookUpAll(int folderFd, std::span<EntryLookup*> lookups,
                         const std::atomic<bool>& cancel) {
  std::array<unsigned, kRingLookupsInFlight> freeSlots;
  unsigned freeCount = kRingLookupsInFlight;
  for (unsigned i = 0; i < freeCount; ++i) freeSlots[i] = kRingLookupsInFlight - 1 - i;
  size_t nextToAsk = 0;
  bool failed = false;
  bool withdrawn = false;
  while (true) {
    const bool stopAsking = failed || cancel.load(std::memory_order_relaxed);
    // A cancelled walk does not wait for a slow file system to answer what
    // it was asked: the requests in flight are withdrawn.
    if (stopAsking && !withdrawn && freeCount < kRingLookupsInFlight) withdrawn = withdrawAll();
    while (!stopAsking && freeCount > 0 && nextToAsk < lookups.size()) {
      if (!queue(folderFd, *lookups[nextToAsk], freeSlots[freeCount - 1])) break;
      --freeCount;
      ++nextToAsk;
    }
    if (freeCount == kRingLookupsInFlight) break;  // nothing in flight
    int submitted = io_uring_submit_and_wait(&ring_->ring, 1);
    if (submitted < 0 && submitted != -EINTR && submitted != -EAGAIN && submitted != -EBUSY) {
      // The requests still queued were never sent and stay not done; the ring
      // is given up once the ones sent have been answered.
      failed = true;
      awaitSent();
      break;
    }
    io_uring_cqe* completion;
    unsigned seen = 0;
    unsigned head;
    io_uring_for_each_cqe(&ring_->ring, head, completion) {
      ++seen;
      if (io_uring_cqe_get_data64(completion) == kWithdrawal) continue;
      const auto slot = static_cast<unsigned>(io_uring_cqe_get_data64(completion));
      answer(slot, completion->res);
      freeSlots[freeCount++] = slot;
    }
    io_uring_cq_advance(&ring_->ring, seen);
  }
  return !failed;
}

bool StatRing::withdrawAll() {
  io_uring_sqe* request = io_uring_get_sqe(&ring_->ring);
  if (request == nullptr) return false;
  io_uring_prep_cancel64(request, 0, IORING_ASYNC_CANCEL_ANY | IORING_ASYNC_CANCEL_ALL);
  io_uring_sqe_set_data64(request, kWithdrawal);
  return true;
}

// The kernel may still write the answers of requests in flight; when they
// cannot be awaited, their buffers are left to it for good.
void StatRing::awaitSent() {
  for (unsigned slot = 0; slot < kRingLookupsInFlight; ++slot) {
    while (ring_->asked[slot] != nullptr) {
      io_uring_cqe* completion;
      if (io_uring_wait_cqe(&ring_->ring, &completion) != 0) {
        ring_.release();
        return;
      }
      const uint64_t slot = io_uring_cqe_get_data64(completion);
      if (slot != kWithdrawal) ring_->asked[slot] = nullptr;
      io_uring_cqe_seen(&ring_->ring, completion);
    }
  }
}

}  // namespace tallyfold
