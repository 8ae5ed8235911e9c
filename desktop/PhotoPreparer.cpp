#include "desktop/PhotoPreparer.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "desktop/Motion.h"
#include "framework/Services.h"
#include "framework/WorkerThread.h"
#include "imaging/Effects.h"
#include "imaging/ImageOps.h"
#include "imaging/Thumbnails.h"

namespace k3 {

std::uint64_t LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) return 0;
  return static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime;
}

std::unique_ptr<CDriftletImg> PrepareDriftPhoto(const std::wstring& path, std::uint64_t fileTime,
                                                const DisplaySettings& settings) {
  auto photo = std::make_unique<CImg>();
  // Only as many pixels as the photo shows at its size are decoded.
  Size picture{0, 0};
  const auto need = [&settings](Size whole) {
    const ItemLayout wanted = LayoutItem(whole.width, whole.height, settings);
    return Size{wanted.photoWidth, wanted.photoHeight};
  };
  if (!LoadPhotoFor(path.c_str(), need, *photo, picture)) {
    photo = std::make_unique<CImg>();
    if (!photo->Create(24, 100, 100)) return nullptr;
    ImgDc dc(*photo);
    RECT all{0, 0, 100, 100};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    picture = photo->GetSize();
  }
  const ItemLayout layout = LayoutItem(picture.width, picture.height, settings);
  FitImageToSize(*photo, Size{layout.photoWidth, layout.photoHeight});
  if (layout.canvas) {
    auto canvas = std::make_unique<CImg>();
    if (canvas->Create(24, layout.canvasWidth, layout.canvasHeight)) {
      FillKey(canvas->View());
      {
        ImgDc dc(*canvas);
        DrawImageBicubic(*photo, dc.get(), ToRect(layout.photoRect));
      }
      photo = std::move(canvas);
    }
  }
  auto item = std::make_unique<CDriftletImg>();
  item->opaque = Rect{0, 0, photo->Width(), photo->Height()};
  if (photo->IsDIBSection() && photo->BitsPerPixel() >= 24) item->opaque = OpaqueBounds(photo->View());
  item->width = photo->Width();
  item->height = photo->Height();
  item->image = std::move(photo);
  item->path = path;
  item->fileTime = fileTime;
  item->displayType = settings.displayType;
  item->photoSize = settings.photoSize;
  return item;
}

PhotoPreparer::~PhotoPreparer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void PhotoPreparer::Notify(HWND window, UINT message) {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = window;
  message_ = message;
  // Photos prepared before there was a window to tell are told of now.
  if (window_ && !done_.empty() && !posted_) posted_ = ::PostMessageW(window_, message_, 0, 0) != FALSE;
}

std::uint64_t PhotoPreparer::Start(std::vector<Job> jobs, const DisplaySettings& settings) {
  std::vector<Done> dropped;
  std::uint64_t batch = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch = ++batch_;
    settings_ = settings;
    queue_.assign(std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
    dropped.swap(done_);
    if (threads_.empty() && !queue_.empty()) {
      int workers = workers_ > 0 ? workers_ : static_cast<int>(std::thread::hardware_concurrency());
      workers = std::clamp(workers, 1, 16);
      for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
    }
  }
  wake_.notify_all();
  return batch;
}

void PhotoPreparer::Cancel() {
  std::vector<Done> dropped;
  std::unique_lock<std::mutex> lock(mutex_);
  ++batch_;
  queue_.clear();
  dropped.swap(done_);
  idle_.wait(lock, [this] { return busy_ == 0; });
}

std::vector<PhotoPreparer::Done> PhotoPreparer::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_ = false;
  return std::exchange(done_, {});
}

bool PhotoPreparer::WaitIdle(DWORD ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return busy_ == 0 && queue_.empty(); });
}

void PhotoPreparer::Work() {
  const fw::WorkerThreadScope worker;
  for (;;) {
    Job job;
    DisplaySettings settings{};
    std::uint64_t batch = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) break;
      job = std::move(queue_.front());
      queue_.pop_front();
      settings = settings_;
      batch = batch_;
      ++busy_;
    }
    // Dropped (a later batch came) after the lock, as it goes out of scope.
    std::unique_ptr<CDriftletImg> item = PrepareDriftPhoto(job.path, job.fileTime, settings);
    HWND window = nullptr;
    UINT message = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --busy_;
      if (!stop_ && batch == batch_) {
        done_.push_back(Done{batch, job.slot, std::move(item)});
        if (!posted_ && window_) {
          posted_ = true;
          window = window_;
          message = message_;
        }
      }
      if (busy_ == 0) idle_.notify_all();
    }
    if (window && !::PostMessageW(window, message, 0, 0)) {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
    }
  }
}

}  // namespace k3
