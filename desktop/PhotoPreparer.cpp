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
                                                const DisplaySettings& settings, int dpi, const PhotoHead& head) {
  auto photo = std::make_unique<CImg>();
  // Only as many pixels as the photo shows at its size are decoded.
  Size picture{0, 0};
  const auto need = [&settings, dpi](Size whole) {
    const ItemLayout wanted = LayoutItem(whole.width, whole.height, settings, dpi);
    return Size{wanted.photoWidth, wanted.photoHeight};
  };
  if (!LoadPhotoFor(path.c_str(), need, *photo, picture, &head)) {
    photo = std::make_unique<CImg>();
    if (!photo->Create(24, 100, 100)) return nullptr;
    ImgDc dc(*photo);
    RECT all{0, 0, 100, 100};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    picture = photo->GetSize();
  }
  const ItemLayout layout = LayoutItem(picture.width, picture.height, settings, dpi);
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
  item->dpi = dpi;
  return item;
}

PhotoPreparer::PhotoPreparer(std::function<void()> ready, int workers)
    : notice_(std::move(ready)),
      queue_({workers, nullptr, [] { return fw::MakeWorkerScope(fw::Apartment::Multi); },
              [this] { return notice_.Ask(); }}) {}

void PhotoPreparer::Start(std::vector<Job> jobs, const DisplaySettings& settings, int dpi) {
  // A new batch: whatever the last one still had waiting or under way is
  // never handed out.
  queue_.Clear();
  for (Job& job : jobs) {
    queue_.Add(job.slot, [job = std::move(job), settings, dpi] {
      return PrepareDriftPhoto(job.path, job.fileTime, settings, dpi, job.head);
    });
  }
}

std::vector<PhotoPreparer::Done> PhotoPreparer::Take() {
  std::vector<Done> done;
  for (auto& d : queue_.Take()) done.push_back(Done{static_cast<std::size_t>(d.key), std::move(d.result)});
  return done;
}

}  // namespace k3
