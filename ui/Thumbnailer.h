// Makes the photo list's thumbnails on a worker queue of its own: the rows
// on screen first, then the others in list order. The interface thread
// hands in rows and is told, on itself, when finished thumbnails wait; it
// never waits for a decode. A thumbnail for a row removed meanwhile is
// dropped, never handed out.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/WorkNotice.h"
#include "framework/WorkerQueue.h"
#include "framework/WorkerThread.h"
#include "imaging/PhotoHead.h"
#include "imaging/PixelBuffer.h"
#include "ui/ThumbnailOrder.h"

namespace k3 {

class Thumbnailer {
 public:
  using Key = ThumbnailOrder::Key;
  // The COM apartment of the workers.
  static constexpr fw::Apartment kApartment = fw::Apartment::Single;

  // A finished row: its thumbnail and the picture's own size, or ok false
  // when it could not be made: for lack of memory or handles (`noMemory`;
  // the photo itself may be fine) or because the file cannot be decoded.
  struct Made {
    Key key = 0;
    bool ok = false;
    bool noMemory = false;
    std::unique_ptr<PixelBuffer> image;
    Size picture;
    // The side of the square the thumbnail was made to fit.
    int side = 0;
  };

  // `ready` runs on the calling (interface) thread when thumbnails wait to
  // be taken. `workers` 0: one per core.
  explicit Thumbnailer(std::function<void()> ready, int workers = 0);
  // The decodes under way finish, nothing more starts, every worker ends.
  ~Thumbnailer() = default;
  Thumbnailer(const Thumbnailer&) = delete;
  Thumbnailer& operator=(const Thumbnailer&) = delete;

  // A thumbnail that fits a `side` x `side` square; the head the row read
  // is not read again.
  void Add(Key key, std::wstring path, int side, const PhotoHead& head = {});
  // The row went: its thumbnail is not made, or is dropped when it is.
  void Remove(Key key) { queue_.Remove(key); }
  void Clear() { queue_.Clear(); }
  void ShowFirst(const std::vector<Key>& onScreen) { queue_.ShowFirst(onScreen); }
  // What is finished (the next one tells again).
  std::vector<Made> TakeMade();
  int Workers() const { return queue_.Workers(); }
  // Rows waiting or being made.
  std::size_t Pending() { return queue_.Pending(); }
  // Waits until no row waits or is being made, at most `timeout`.
  bool WaitIdle(std::chrono::milliseconds timeout) { return queue_.WaitIdle(timeout); }

 private:
  // Declared first, so that it outlives the workers that ask it.
  fw::CWorkNotice notice_;
  fw::WorkerQueue<Made> queue_;
};

}  // namespace k3
