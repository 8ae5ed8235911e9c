#include "ui/Thumbnailer.h"

#include <new>
#include <utility>

#include "framework/WorkerThread.h"
#include "imaging/Thumbnails.h"

namespace k3 {

// The workers live in single-threaded apartments: a document's thumbnail is
// its file icon, which the shell's icon functions make there (a handler may
// otherwise give the generic icon).
Thumbnailer::Thumbnailer(std::function<void()> ready, int workers)
    : notice_(std::move(ready)),
      queue_({workers, std::make_unique<ThumbnailOrder>(), [] { return fw::MakeWorkerScope(kApartment); },
              [this] { return notice_.Ask(); }}) {}

void Thumbnailer::Add(Key key, std::wstring path, int side, const PhotoHead& head) {
  queue_.Add(key, [key, path = std::move(path), side, head] {
    Made made;
    made.key = key;
    made.side = side;
    const int failures = CImg::FailedCreations();
    try {
      // Decoded into a surface of this worker's, kept as plain pixels.
      CImg image;
      Size size{side, side};
      made.ok = LoadThumbnail(path.c_str(), image, size, true, &head) && EnsureDIBSection(image);
      if (made.ok) {
        made.image = std::make_unique<PixelBuffer>(PixelBuffer::CopyOf(image.View()));
        made.picture = size;
      }
    } catch (const std::bad_alloc&) {
      made.ok = false;
      made.noMemory = true;
    }
    if (!made.ok) {
      made.image.reset();
      made.noMemory = CImg::FailedCreations() != failures || made.noMemory;
    }
    return made;
  });
}

std::vector<Thumbnailer::Made> Thumbnailer::TakeMade() {
  std::vector<Made> made;
  for (auto& done : queue_.Take()) made.push_back(std::move(done.result));
  return made;
}

}  // namespace k3
