#include "ui/Thumbnailer.h"

#include <utility>

#include "framework/WorkerThread.h"
#include "imaging/Thumbnails.h"

namespace k3 {

namespace {

// COM and a priority below the interface thread's, for each worker's life.
std::shared_ptr<void> WorkerScope() { return std::make_shared<fw::WorkerThreadScope>(); }

}  // namespace

Thumbnailer::Thumbnailer(std::function<void()> ready, int workers)
    : notice_(std::move(ready)),
      queue_({workers, std::make_unique<ThumbnailOrder>(), WorkerScope, [this] { return notice_.Ask(); }}) {}

void Thumbnailer::Add(Key key, std::wstring path) {
  queue_.Add(key, [key, path = std::move(path)] {
    Made made;
    made.key = key;
    made.image = std::make_unique<CImg>();
    Size size{96, 96};
    made.ok = LoadThumbnail(path.c_str(), *made.image, size, true);
    made.picture = size;
    if (!made.ok) made.image.reset();
    return made;
  });
}

std::vector<Thumbnailer::Made> Thumbnailer::TakeMade() {
  std::vector<Made> made;
  for (auto& done : queue_.Take()) made.push_back(std::move(done.result));
  return made;
}

}  // namespace k3
