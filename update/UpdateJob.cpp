#include "update/UpdateJob.h"

#include <utility>

namespace k3 {

class UpdateJob::Channel final : public Context {
 public:
  explicit Channel(UpdateJob& job) : job_(job) {}
  ~Channel() override { OnStop(nullptr); }

  bool Stopping() const override {
    std::lock_guard<std::mutex> lock(job_.mutex_);
    return job_.stopping_;
  }
  void Report(const UpdateProgress& progress) override {
    {
      std::lock_guard<std::mutex> lock(job_.mutex_);
      if (job_.stopping_) return;
      job_.progress_ = progress;
    }
    job_.tell_();
  }
  bool AskInterface(std::function<bool()> ask) override {
    {
      std::lock_guard<std::mutex> lock(job_.mutex_);
      if (job_.stopping_) return false;
      job_.question_ = std::move(ask);
      job_.answer_.reset();
    }
    job_.tell_();
    std::unique_lock<std::mutex> lock(job_.mutex_);
    job_.answered_.wait(lock, [this] { return job_.answer_.has_value() || job_.stopping_; });
    job_.question_ = nullptr;
    return job_.answer_.value_or(false) && !job_.stopping_;
  }
  void OnStop(std::function<void()> cut) override {
    std::lock_guard<std::mutex> lock(job_.mutex_);
    job_.cut_ = std::move(cut);
  }

 private:
  UpdateJob& job_;
};

UpdateJob::UpdateJob(std::function<bool()> tell)
    : tell_(std::move(tell)), queue_({1, nullptr, nullptr, [this] { return tell_ && tell_(); }}) {}

UpdateJob::~UpdateJob() { Stop(); }

bool UpdateJob::Start(Work work) {
  if (running_ || !work) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
    progress_.reset();
    question_ = nullptr;
    answer_.reset();
  }
  running_ = true;
  queue_.Add(++serial_, [this, work = std::move(work)] {
    Channel channel(*this);
    return work(channel);
  });
  return true;
}

UpdateJob::Report UpdateJob::Pump() {
  Report report;
  std::function<bool()> question;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (question_ && !answer_) question = question_;
  }
  if (question) {
    const bool answer = question();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      answer_ = answer;
    }
    answered_.notify_all();
  }
  // The outcome before the progress: what the work reported before it
  // ended is then among what is handed out with it. (Work that failed with
  // an exception ends with the empty outcome: the check failed.)
  for (auto& done : queue_.Take()) {
    if (!running_) continue;
    report.outcome = std::move(done.result);
    running_ = false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  report.progress = std::exchange(progress_, std::nullopt);
  return report;
}

void UpdateJob::Stop() {
  {
    // Under the lock: the work forgets its cut, under the same lock, before
    // what it cuts goes.
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    if (cut_) cut_();
  }
  answered_.notify_all();
  // Waits for the work under way; its outcome is dropped.
  queue_.Cancel();
  running_ = false;
}

}  // namespace k3
