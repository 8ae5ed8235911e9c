#include "ui/Thumbnailer.h"

#include <algorithm>

#include "framework/WorkerThread.h"
#include "imaging/Thumbnails.h"

namespace k3 {

Thumbnailer::Thumbnailer(HWND window, UINT ready, int workers) : window_(window), ready_(ready) {
  if (workers <= 0) workers = static_cast<int>(std::thread::hardware_concurrency());
  workers = std::clamp(workers, 1, 16);
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

Thumbnailer::~Thumbnailer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    order_.Clear();
    paths_.clear();
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void Thumbnailer::Add(Key key, std::wstring path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_[key] = std::move(path);
    order_.Add(key);
  }
  wake_.notify_one();
}

void Thumbnailer::Remove(Key key) {
  std::vector<Made> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  order_.Remove(key);
  paths_.erase(key);
  const auto gone = std::stable_partition(made_.begin(), made_.end(), [&](const Made& m) { return m.key != key; });
  std::move(gone, made_.end(), std::back_inserter(dropped));
  made_.erase(gone, made_.end());
}

void Thumbnailer::Clear() {
  std::vector<Made> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  order_.Clear();
  paths_.clear();
  dropped.swap(made_);
}

void Thumbnailer::ShowFirst(const std::vector<Key>& onScreen) {
  std::lock_guard<std::mutex> lock(mutex_);
  order_.ShowFirst(onScreen);
}

std::vector<Thumbnailer::Made> Thumbnailer::TakeMade() {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_ = false;
  return std::exchange(made_, {});
}

std::size_t Thumbnailer::Pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return paths_.size();
}

void Thumbnailer::Work() {
  const fw::WorkerThreadScope worker;
  for (;;) {
    Key key = 0;
    std::wstring path;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || order_.Count() > 0; });
      if (stop_) break;
      const auto next = order_.Take();
      if (!next) continue;
      key = *next;
      const auto it = paths_.find(key);
      if (it == paths_.end()) continue;
      path = it->second;
    }
    Made made;
    made.key = key;
    made.image = std::make_unique<CImg>();
    Size size{96, 96};
    made.ok = LoadThumbnail(path.c_str(), *made.image, size, true);
    made.picture = size;
    if (!made.ok) made.image.reset();
    bool post = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // Removed meanwhile: dropped here, after the lock (below).
      if (!stop_ && paths_.erase(key)) {
        made_.push_back(std::move(made));
        post = !posted_;
        posted_ = true;
      }
    }
    if (post && !::PostMessageW(window_, ready_, 0, 0)) {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
    }
  }
}

}  // namespace k3
