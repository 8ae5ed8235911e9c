// Makes the photo list's thumbnails on worker threads, as many as the
// machine has cores: the rows on screen first, then the others in list
// order. The interface thread hands in rows and takes finished thumbnails
// when told; it never waits for a decode. A thumbnail for a row removed
// meanwhile is dropped, never handed out.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "imaging/Img.h"
#include "ui/ThumbnailOrder.h"

namespace k3 {

class Thumbnailer {
 public:
  using Key = ThumbnailOrder::Key;

  // A finished row: its thumbnail and the picture's own size, or ok false
  // when the file could not be decoded.
  struct Made {
    Key key = 0;
    bool ok = false;
    std::unique_ptr<CImg> image;
    Size picture;
  };

  // `ready` is posted to `window` when thumbnails wait to be taken.
  // `workers` 0: one per core.
  Thumbnailer(HWND window, UINT ready, int workers = 0);
  // The decodes under way finish, nothing more starts, every worker ends.
  ~Thumbnailer();
  Thumbnailer(const Thumbnailer&) = delete;
  Thumbnailer& operator=(const Thumbnailer&) = delete;

  void Add(Key key, std::wstring path);
  // The row went: its thumbnail is not made, or is dropped when it is.
  void Remove(Key key);
  void Clear();
  void ShowFirst(const std::vector<Key>& onScreen);
  // What is finished (and resets the notice).
  std::vector<Made> TakeMade();
  int Workers() const { return static_cast<int>(threads_.size()); }
  // Rows waiting or being made.
  std::size_t Pending();

 private:
  void Work();

  HWND window_;
  UINT ready_;
  std::mutex mutex_;
  std::condition_variable wake_;
  ThumbnailOrder order_;
  // Rows waiting or being made, with their files.
  std::unordered_map<Key, std::wstring> paths_;
  std::vector<Made> made_;
  bool posted_ = false;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace k3
