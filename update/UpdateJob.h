// The update command's work off the interface thread: the version check
// and the download run as one job on a worker of the framework's queue,
// one job at a time. The worker reports its progress and asks questions
// that only the interface thread may answer (the system's password
// dialog); the interface thread, told by `tell` (which posts, from any
// thread), takes them with Pump. Stop ends the job promptly: the work sees
// it at its next look, a question waiting is answered "no", and what the
// work registered to cut a wait short runs. Portable, tested natively.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "framework/WorkerQueue.h"
#include "update/FetchResult.h"

namespace k3 {

// How the update command ended.
struct UpdateOutcome {
  enum class Step { NoNetwork, CheckFailed, UpToDate, Downloaded, DownloadFailed } step = Step::CheckFailed;
  FetchResult fetch;  // the request that failed, if one did
};

// How far the download has come, in KiB of the announced length.
struct UpdateProgress {
  int totalKiB = 0;
  int doneKiB = 0;
};

class UpdateJob {
 public:
  // What the work may ask of the job, from its worker.
  class Context {
   public:
    virtual ~Context() = default;
    // Whether the job was told to stop; the work ends as soon as it sees it.
    virtual bool Stopping() const = 0;
    // The download has come this far (the interface thread is told).
    virtual void Report(const UpdateProgress& progress) = 0;
    // Runs `ask` on the interface thread and waits for its answer; false
    // without asking once the job is stopping.
    virtual bool AskInterface(std::function<bool()> ask) = 0;
    // `cut` runs (on the stopping thread, while the job holds its lock)
    // when the job is told to stop while it is set, to end a wait at once;
    // null to forget it, which waits for a cut under way.
    virtual void OnStop(std::function<void()> cut) = 0;
  };
  using Work = std::function<UpdateOutcome(Context&)>;

  // `tell` asks the interface thread, from any thread, to call Pump soon.
  explicit UpdateJob(std::function<bool()> tell);
  // Stops a job under way and waits for its worker.
  ~UpdateJob();
  UpdateJob(const UpdateJob&) = delete;
  UpdateJob& operator=(const UpdateJob&) = delete;

  // Starts `work`; false (nothing starts) while a job runs.
  bool Start(Work work);
  // From Start until Pump has handed out the outcome, or Stop.
  bool Running() const { return running_; }

  // On the interface thread, when told: answers the question waiting, and
  // hands out the newest progress and, once, the outcome.
  struct Report {
    std::optional<UpdateProgress> progress;
    std::optional<UpdateOutcome> outcome;
  };
  Report Pump();

  // Tells the job to stop and waits for its work to end; its outcome is
  // never handed out.
  void Stop();

 private:
  class Channel;

  std::function<bool()> tell_;
  bool running_ = false;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  bool stopping_ = false;
  std::optional<UpdateProgress> progress_;
  std::function<bool()> question_;
  std::optional<bool> answer_;
  std::function<void()> cut_;
  std::uint64_t serial_ = 0;
  // Last: its worker ends before the members it uses go.
  fw::WorkerQueue<UpdateOutcome> queue_;
};

}  // namespace k3
