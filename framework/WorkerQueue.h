// A queue of background work (the program has one each for the
// thumbnails, the drift's photos, writing IMG.DAT and the update command):
// jobs named by a key, run on worker threads (as many as the owner asks
// for, by default one per core, started with the first job), handed out
// in an order the owner chooses, their results collected for the
// interface thread to take when it is told. A job removed, or cleared with
// the others, never hands out a result, also when it was under way.
// Portable: the owner supplies what each worker thread needs (COM, its
// priority) and how the interface thread is told. Tested natively.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace fw {

// The order in which waiting jobs go to the workers, by key.
class JobOrder {
 public:
  using Key = std::uint64_t;
  virtual ~JobOrder() = default;
  // A key waiting already is not added twice.
  virtual void Add(Key key) = 0;
  virtual void Remove(Key key) = 0;
  virtual void Clear() = 0;
  // The next key, no longer waiting; none when nothing waits.
  virtual std::optional<Key> Take() = 0;
  virtual std::size_t Count() const = 0;
  // The keys that matter most now (the rows on screen, say), in their
  // order; an order that knows no such thing ignores it.
  virtual void ShowFirst(const std::vector<Key>&) {}
};

// First in, first out.
class FifoOrder final : public JobOrder {
 public:
  void Add(Key key) override {
    if (waiting_.insert(key).second) queue_.push_back(key);
  }
  void Remove(Key key) override { waiting_.erase(key); }
  void Clear() override {
    queue_.clear();
    waiting_.clear();
  }
  std::optional<Key> Take() override {
    while (!queue_.empty()) {
      const Key key = queue_.front();
      queue_.pop_front();
      if (waiting_.erase(key)) return key;  // a key removed meanwhile is skipped
    }
    return std::nullopt;
  }
  std::size_t Count() const override { return waiting_.size(); }

 private:
  std::deque<Key> queue_;
  std::unordered_set<Key> waiting_;
};

template <class Result>
class WorkerQueue {
 public:
  using Key = JobOrder::Key;
  using Job = std::function<Result()>;
  struct Done {
    Key key = 0;
    Result result{};
  };
  struct Setup {
    int workers = 0;                  // 0: one per core; always 1 to 16
    std::unique_ptr<JobOrder> order;  // null: first in, first out
    // Called on each worker as it starts; what it returns is kept for the
    // worker's life (a COM apartment, say).
    std::function<std::shared_ptr<void>()> threadScope;
    // Called on a worker when results wait to be taken, once until Take;
    // false when the interface thread could not be told (it is asked again
    // with the next result).
    std::function<bool()> ready;
  };

  explicit WorkerQueue(Setup setup) : setup_(std::move(setup)) {
    if (!setup_.order) setup_.order = std::make_unique<FifoOrder>();
    int workers = setup_.workers > 0 ? setup_.workers : static_cast<int>(std::thread::hardware_concurrency());
    workers_ = std::clamp(workers, 1, 16);
  }
  // Nothing more starts, the jobs under way finish, every worker ends.
  ~WorkerQueue() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      DropAllLocked();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  WorkerQueue(const WorkerQueue&) = delete;
  WorkerQueue& operator=(const WorkerQueue&) = delete;

  // A job for `key`; a job of the same key that waits or is under way is
  // replaced (its result is never handed out).
  void Add(Key key, Job job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const std::uint64_t serial = ++serial_;
      live_[key] = serial;
      jobs_[key] = Waiting{std::move(job), serial};
      setup_.order->Add(key);
      StartWorkersLocked();
    }
    wake_.notify_one();
  }
  // The job of `key` is not run, or its result is dropped.
  void Remove(Key key) {
    std::vector<Done> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    setup_.order->Remove(key);
    jobs_.erase(key);
    live_.erase(key);
    const auto gone = std::stable_partition(done_.begin(), done_.end(), [&](const Done& d) { return d.key != key; });
    std::move(gone, done_.end(), std::back_inserter(dropped));
    done_.erase(gone, done_.end());
  }
  // Every job is dropped, with every result not yet taken.
  void Clear() {
    std::vector<Done> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    dropped = DropAllLocked();
  }
  // Clear, then wait for the jobs under way, so that none still works on
  // what the caller is about to take away (the files of a folder, say).
  void Cancel() {
    std::vector<Done> dropped;
    std::unique_lock<std::mutex> lock(mutex_);
    dropped = DropAllLocked();
    idle_.wait(lock, [this] { return busy_ == 0; });
  }
  void ShowFirst(const std::vector<Key>& keys) {
    std::lock_guard<std::mutex> lock(mutex_);
    setup_.order->ShowFirst(keys);
  }
  // What is done, in the order it was done; the next result tells again.
  std::vector<Done> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    told_ = false;
    return std::exchange(done_, {});
  }
  // Waits until no job waits or is under way, at most `timeout`; whether so.
  bool WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return busy_ == 0 && jobs_.empty(); });
  }
  // Jobs waiting or under way whose results are still wanted.
  std::size_t Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
  }
  int Workers() const { return workers_; }

 private:
  struct Waiting {
    Job job;
    std::uint64_t serial = 0;
  };

  std::vector<Done> DropAllLocked() {
    setup_.order->Clear();
    jobs_.clear();
    live_.clear();
    return std::exchange(done_, {});
  }

  void StartWorkersLocked() {
    if (!threads_.empty()) return;
    for (int i = 0; i < workers_; ++i) threads_.emplace_back([this] { Work(); });
  }

  void Work() {
    const std::shared_ptr<void> scope = setup_.threadScope ? setup_.threadScope() : nullptr;
    for (;;) {
      Waiting waiting;
      Key key = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || setup_.order->Count() > 0; });
        if (stop_) break;
        const std::optional<Key> next = setup_.order->Take();
        if (!next) continue;
        const auto it = jobs_.find(*next);
        if (it == jobs_.end()) continue;
        key = *next;
        waiting = std::move(it->second);
        jobs_.erase(it);
        ++busy_;
      }
      Done done{key, Result{}};
      try {
        done.result = waiting.job();
      } catch (...) {
        done.result = Result{};  // a job that fails gives the empty result
      }
      bool tell = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto live = live_.find(key);
        if (!stop_ && live != live_.end() && live->second == waiting.serial) {
          live_.erase(live);
          done_.push_back(std::move(done));
          tell = !told_ && setup_.ready;
          told_ = told_ || tell;
        }
      }
      // (A result no longer wanted is dropped here, outside the lock.) The
      // job counts as under way until the interface thread has been told,
      // so that a wait for the queue to be idle includes the notice.
      const bool told = !tell || setup_.ready();
      std::lock_guard<std::mutex> lock(mutex_);
      if (!told) told_ = false;
      if (--busy_ == 0) idle_.notify_all();
    }
  }

  Setup setup_;
  int workers_ = 1;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::unordered_map<Key, Waiting> jobs_;        // waiting to start
  std::unordered_map<Key, std::uint64_t> live_;  // waiting or under way, by the serial of their job
  std::uint64_t serial_ = 0;
  int busy_ = 0;
  std::vector<Done> done_;
  bool told_ = false;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace fw
