// Prepares the drift's photos on a worker queue of its own: each photo
// decoded at the scale its size needs, fitted, and put on its key-colour
// canvas for the effects that need room. The interface thread hands in a
// batch and takes the prepared photos when told; it never waits for a
// decode. A new batch replaces the one before: nothing prepared for an
// earlier batch is handed out.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/PhotoSet.h"
#include "framework/Rect.h"
#include "framework/WorkNotice.h"
#include "framework/WorkerQueue.h"
#include "imaging/Img.h"

namespace k3 {

// One prepared photo: the photo fitted to the chosen size, or the key-colour
// canvas with the photo on it for the effects that need room.
struct CDriftletImg {
  std::unique_ptr<CImg> image;
  int width = 0;
  int height = 0;
  // Every pixel of the image that is not key-coloured lies in here (the
  // photo on its canvas).
  Rect opaque;
  // What it was prepared from and for: a later rebuild for the same type
  // and size takes it over when the file has not changed.
  std::wstring path;
  std::uint64_t fileTime = 0;
  std::uint16_t displayType = 0;
  std::uint16_t photoSize = 0;
  // The DPI of the screen it was prepared for: its size is the logical
  // size's physical pixels there.
  int dpi = 96;
  // Its place in the list of photos it was prepared for; kLeavingSlot for
  // the photo of a list before, shown until the first of the new list comes.
  std::size_t slot = 0;
  static constexpr std::size_t kLeavingSlot = k3::kLeavingSlot;
};

// The last write time of a file, or 0.
std::uint64_t LastWriteTime(const std::wstring& path);

// Prepares one photo as `settings` show it on a screen of `dpi`; a photo
// that cannot be decoded shows as a white square. Null only when no bitmap
// could be made at all.
// A head read before (`head`) is used while the file is as it was then.
std::unique_ptr<CDriftletImg> PrepareDriftPhoto(const std::wstring& path, std::uint64_t fileTime,
                                                const DisplaySettings& settings, int dpi = 96,
                                                const PhotoHead& head = {});

class PhotoPreparer {
 public:
  struct Job {
    std::size_t slot = 0;
    std::wstring path;
    std::uint64_t fileTime = 0;
    PhotoHead head;
  };
  struct Done {
    std::size_t slot = 0;
    // Null when nothing could be made for the photo.
    std::unique_ptr<CDriftletImg> item;
  };

  // `ready` runs on the calling (interface) thread when prepared photos
  // wait to be taken. `workers` 0: one per core; they start with the first
  // batch.
  explicit PhotoPreparer(std::function<void()> ready, int workers = 0);
  // The preparations under way finish, nothing more starts, every worker
  // ends.
  ~PhotoPreparer() = default;
  PhotoPreparer(const PhotoPreparer&) = delete;
  PhotoPreparer& operator=(const PhotoPreparer&) = delete;

  // Replaces what waits by `jobs`, prepared in their order for `settings`
  // on a screen of `dpi`: what the last batch still had waiting or under
  // way is never handed out. An empty batch drops what waits.
  void Start(std::vector<Job> jobs, const DisplaySettings& settings, int dpi = 96);
  // Drops what waits and waits for the preparations under way, so that no
  // worker still reads a photo file.
  void Cancel() { queue_.Cancel(); }
  // What is prepared (the next one tells again).
  std::vector<Done> Take();
  // Runs `ready` once more, soon, on the interface thread (photos prepared
  // before their window existed are taken once it does).
  void Announce() { notice_.Ask(); }
  // Waits until nothing waits or is under way, at most `ms`; whether so.
  bool WaitIdle(DWORD ms) { return queue_.WaitIdle(std::chrono::milliseconds(ms)); }
  int Workers() const { return queue_.Workers(); }

 private:
  // Declared first, so that it outlives the workers that ask it.
  fw::CWorkNotice notice_;
  fw::WorkerQueue<std::unique_ptr<CDriftletImg>> queue_;
};

}  // namespace k3
