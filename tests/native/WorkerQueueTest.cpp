// The worker queue: the order jobs go out in, results that are
// never handed out once their job was removed or cleared (also while it
// runs), one notice until the results are taken, and the waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <vector>

#include "framework/WorkerQueue.h"
#include "ui/ThumbnailOrder.h"

namespace fw {
namespace {

using namespace std::chrono_literals;
using Queue = WorkerQueue<int>;

// A job that waits until it is let go.
struct Gate {
  std::promise<void> open;
  std::shared_future<void> opened = open.get_future().share();
  std::atomic<int> entered{0};
  Queue::Job Held(int result) {
    return [this, result] {
      ++entered;
      opened.wait();
      return result;
    };
  }
};

std::vector<Queue::Key> Keys(const std::vector<Queue::Done>& done) {
  std::vector<Queue::Key> keys;
  for (const auto& d : done) keys.push_back(d.key);
  return keys;
}

TEST(WorkerQueue, OneWorkerTakesJobsInTheOrdersOrder) {
  for (bool rowsOnScreen : {false, true}) {
    Gate gate;
    Queue::Setup setup;
    setup.workers = 1;
    if (rowsOnScreen) setup.order = std::make_unique<k3::ThumbnailOrder>();
    Queue queue(std::move(setup));
    queue.Add(1, gate.Held(10));
    while (gate.entered == 0) std::this_thread::yield();  // the first is under way
    for (Queue::Key key = 2; key <= 6; ++key) queue.Add(key, [key] { return static_cast<int>(key) * 10; });
    queue.ShowFirst({5, 4});
    gate.open.set_value();
    ASSERT_TRUE(queue.WaitIdle(10s));
    const auto done = queue.Take();
    EXPECT_EQ(Keys(done),
              rowsOnScreen ? (std::vector<Queue::Key>{1, 5, 4, 2, 3, 6}) : (std::vector<Queue::Key>{1, 2, 3, 4, 5, 6}));
    for (const auto& d : done) EXPECT_EQ(d.result, static_cast<int>(d.key) * 10);
  }
}

TEST(WorkerQueue, RemovedClearedAndReplacedJobsHandOutNothingEvenWhileTheyRun) {
  Gate gate;
  std::atomic<int> notices{0};
  Queue::Setup setup;
  setup.workers = 2;
  setup.ready = [&] {
    ++notices;
    return true;
  };
  Queue queue(std::move(setup));
  queue.Add(1, gate.Held(1));
  queue.Add(2, gate.Held(2));
  while (gate.entered < 2) std::this_thread::yield();
  queue.Add(3, [] { return 3; });   // waits: both workers are held
  queue.Remove(1);                  // under way: its result is dropped
  queue.Remove(3);                  // waiting: never runs
  queue.Add(2, [] { return 22; });  // replaces the one under way
  EXPECT_EQ(queue.Pending(), 1u);
  gate.open.set_value();
  ASSERT_TRUE(queue.WaitIdle(10s));
  auto done = queue.Take();
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].key, 2u);
  EXPECT_EQ(done[0].result, 22);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(queue.Pending(), 0u);

  // Clear drops the results not yet taken; Cancel also waits for what runs.
  queue.Add(7, [] { return 7; });
  ASSERT_TRUE(queue.WaitIdle(10s));
  EXPECT_EQ(notices, 2) << "told again once the results were taken";
  queue.Add(8, [] { return 8; });
  ASSERT_TRUE(queue.WaitIdle(10s));
  EXPECT_EQ(notices, 2) << "once until they are taken";
  queue.Clear();
  EXPECT_TRUE(queue.Take().empty());
  Gate slow;
  queue.Add(9, slow.Held(9));
  while (slow.entered == 0) std::this_thread::yield();
  auto cancel = std::async(std::launch::async, [&] { queue.Cancel(); });
  EXPECT_EQ(cancel.wait_for(50ms), std::future_status::timeout) << "waits for the job under way";
  slow.open.set_value();
  cancel.get();
  EXPECT_TRUE(queue.Take().empty());
}

TEST(WorkerQueue, ANoticeThatCouldNotBeGivenIsGivenWithTheNextResult) {
  std::atomic<int> asked{0};
  Queue::Setup setup;
  setup.workers = 1;
  setup.ready = [&] { return ++asked > 1; };  // the first notice fails
  std::atomic<int> scopes{0};
  setup.threadScope = [&] {
    ++scopes;
    return std::shared_ptr<void>();
  };
  Queue queue(std::move(setup));
  EXPECT_EQ(scopes, 0) << "workers start with the first job";
  queue.Add(1, [] { return 1; });
  ASSERT_TRUE(queue.WaitIdle(10s));
  queue.Add(2, [] { return 2; });
  ASSERT_TRUE(queue.WaitIdle(10s));
  EXPECT_EQ(asked, 2);
  queue.Add(3, []() -> int { throw 1; });
  ASSERT_TRUE(queue.WaitIdle(10s));
  const auto done = queue.Take();
  ASSERT_EQ(done.size(), 3u);
  EXPECT_EQ(done[2].result, 0) << "a job that throws gives the empty result";
  EXPECT_EQ(scopes, 1);
}

}  // namespace
}  // namespace fw
