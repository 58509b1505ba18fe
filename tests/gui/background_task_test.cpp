// The one way the window runs work off its thread: posts arrive in order on
// the window thread, progress at a bounded rate, finished() after the last
// post, and nothing from a work the window stopped waiting for.

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "gui/background_task.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

TEST(BackgroundTask, PostsComeInOrderThenFinishedAndProgressIsBounded) {
  application();
  gui::BackgroundTask task(20);
  std::vector<int> seen;
  bool onWindowThread = true;
  int finished = 0;
  QObject::connect(&task, &gui::BackgroundTask::finished, [&] { ++finished; });
  std::atomic<int> due{0};
  task.start([&] {
    for (int i = 0; i < 100; ++i) {
      task.post([&, i] {
        seen.push_back(i);
        onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
      });
    }
    // A tight loop of 100 ms asks for progress a million times or more.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < end)
      if (task.progressDue()) ++due;
  });
  EXPECT_TRUE(task.running());
  ASSERT_TRUE(waitUntil([&] { return finished == 1; }, 5000));
  EXPECT_FALSE(task.running());
  ASSERT_EQ(seen.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[size_t(i)], i);
  EXPECT_TRUE(onWindowThread);
  EXPECT_GE(due.load(), 3);
  EXPECT_LE(due.load(), 7);  // one each 20 ms

  // Waited for: what it posted is dropped and finished() does not come.
  bool late = false;
  task.start([&] { task.post([&] { late = true; }); });
  task.wait();
  waitUntil([] { return false; }, 50);
  EXPECT_FALSE(late);
  EXPECT_EQ(finished, 1);
}

}  // namespace
}  // namespace tallyfold::test
