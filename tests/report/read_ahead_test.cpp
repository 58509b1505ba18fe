// The read-ahead of a block's rows: every item done once, each awaited item
// done before wait returns, batches one after the other, and a batch left
// early.

#include "report/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

namespace tallyfold {
namespace {

TEST(ReadAhead, EveryItemOnceAndDoneWhenAwaited) {
  for (unsigned helpers : {1u, 2u, 3u}) {
    ReadAhead readAhead(helpers);
    for (int batch = 0; batch < 5; ++batch) {
      const size_t count = 200;
      std::vector<std::atomic<int>> runs(count);
      std::vector<int> results(count, -1);
      readAhead.start(count, [&](size_t i) {
        // Uneven work, so items finish out of order.
        if (i % 13 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
        results[i] = static_cast<int>(i) * 3 + batch;
        runs[i].fetch_add(1);
      });
      for (size_t i = 0; i < count; ++i) {
        readAhead.wait(i);
        ASSERT_EQ(results[i], static_cast<int>(i) * 3 + batch) << i;
      }
      readAhead.finish();
      for (size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i].load(), 1) << i;
    }
    EXPECT_EQ(readAhead.helperCount(), helpers);
  }
}

TEST(ReadAhead, HelpersDoNotRunFarAhead) {
  ReadAhead readAhead(2);
  std::atomic<size_t> highest{0};
  readAhead.start(1000, [&](size_t i) {
    size_t seen = highest.load();
    while (i > seen && !highest.compare_exchange_weak(seen, i)) {
    }
  });
  readAhead.wait(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_LT(highest.load(), 100u);
  readAhead.finish();
}

TEST(ReadAhead, ABatchLeftEarlyWaitsOnlyForWorkBegun) {
  ReadAhead readAhead(2);
  std::vector<int> data(100, 0);
  std::atomic<int> started{0};
  readAhead.start(data.size(), [&](size_t i) {
    started.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    data[i] = 1;
  });
  readAhead.wait(0);
  readAhead.finish();
  const int begun = started.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // Nothing begins after finish, and everything begun has ended.
  EXPECT_EQ(started.load(), begun);
  int done = 0;
  for (int value : data) done += value;
  EXPECT_EQ(done, begun);
  // The next batch runs normally.
  std::vector<int> next(10, 0);
  readAhead.start(next.size(), [&](size_t i) { next[i] = static_cast<int>(i); });
  for (size_t i = 0; i < next.size(); ++i) {
    readAhead.wait(i);
    EXPECT_EQ(next[i], static_cast<int>(i));
  }
  readAhead.finish();
}

TEST(ReadAhead, SkippedItemsAreNotDoneLater) {
  ReadAhead readAhead(1);
  std::vector<std::atomic<int>> runs(50);
  readAhead.start(runs.size(), [&](size_t i) { runs[i].fetch_add(1); });
  readAhead.wait(3);
  readAhead.wait(49);
  readAhead.finish();
  EXPECT_EQ(runs[3].load(), 1);
  EXPECT_EQ(runs[49].load(), 1);
  for (const auto& count : runs) EXPECT_LE(count.load(), 1);
}

// Running out of memory in a helper's work reaches the row writer, which
// unwinds as from its own work, instead of ending the program.
TEST(ReadAhead, WhatAHelpersWorkThrowsIsThrownByWait) {
  ReadAhead readAhead(2);
  readAhead.start(20, [](size_t i) {
    if (i == 3) throw std::bad_alloc();
  });
  // Long enough for the helpers to have claimed the first items.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  bool thrown = false;
  try {
    for (size_t i = 0; i <= 3; ++i) readAhead.wait(i);
  } catch (const std::bad_alloc&) {
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  readAhead.finish();
  // The next batch starts clean.
  readAhead.start(4, [](size_t) {});
  for (size_t i = 0; i < 4; ++i) readAhead.wait(i);
  readAhead.finish();
}

}  // namespace
}  // namespace tallyfold
