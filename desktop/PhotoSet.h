// The drift's prepared photos as one list in the order of its photo paths:
// which photos prepared before stay when the list or the settings change,
// which are made again, and how the photos the workers bring join the list
// while the photo shown stays shown. An item is anything with the fields of
// the drift's prepared photo (CDriftletImg: `slot`, `path`, `fileTime`,
// `displayType`, `photoSize`, `dpi`). PhotoSet keeps such a list with the photo
// shown. Pure, tested natively.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/PhotoHead.h"

namespace k3 {

// The slot of the photo of a list before, shown until the first photo of
// the new list comes.
inline constexpr std::size_t kLeavingSlot = static_cast<std::size_t>(-1);

// A photo the drift is to show: its file and the file's last write time.
struct WantedPhoto {
  std::wstring path;
  std::uint64_t fileTime = 0;
  // What its list row read of its head, when it has one.
  PhotoHead head;
};

// A photo to be prepared, for its place in the list.
struct PhotoJob {
  std::size_t slot = 0;
  std::wstring path;
  std::uint64_t fileTime = 0;
  PhotoHead head;
};

// What taking in prepared photos changed.
struct JoinedPhotos {
  bool changed = false;         // the list changed
  bool currentChanged = false;  // the photo shown is a new one in its place
  bool wasEmpty = false;        // nothing (but a leaving photo) showed before
};

// The photos wanted now, for the settings given (display type, size, and
// the DPI of the drift's screen): of
// `items` (the list shown, `current` its photo shown), those prepared for
// these settings from the same unchanged files stay; the others are to be
// prepared (the jobs returned). Until a photo's new form comes, its old one
// stands in. A list that shares no photo with the one before keeps the photo
// shown, as leaving, until the first new one comes, so that the drift does
// not blink out.
template <class Item>
std::vector<PhotoJob> RebuildPhotoList(std::vector<std::unique_ptr<Item>>& items, int& current,
                                       const std::vector<WantedPhoto>& wanted, std::uint16_t displayType,
                                       std::uint16_t photoSize, int dpi = 96) {
  std::vector<std::unique_ptr<Item>> rebuilt;
  std::vector<PhotoJob> jobs;
  for (std::size_t slot = 0; slot < wanted.size(); ++slot) {
    const WantedPhoto& photo = wanted[slot];
    auto same = std::find_if(items.begin(), items.end(), [&](const std::unique_ptr<Item>& old) {
      return old && old->path == photo.path && old->fileTime == photo.fileTime && old->displayType == displayType &&
             old->photoSize == photoSize && old->dpi == dpi;
    });
    if (same == items.end()) {
      jobs.push_back(PhotoJob{slot, photo.path, photo.fileTime, photo.head});
      same = std::find_if(items.begin(), items.end(),
                          [&](const std::unique_ptr<Item>& old) { return old && old->path == photo.path; });
    }
    if (same != items.end()) {
      (*same)->slot = slot;
      rebuilt.push_back(std::move(*same));
    }
  }
  if (rebuilt.empty() && !jobs.empty() && current >= 0 && current < static_cast<int>(items.size()) &&
      items[static_cast<std::size_t>(current)]) {
    auto& shown = items[static_cast<std::size_t>(current)];
    shown->slot = kLeavingSlot;
    rebuilt.push_back(std::move(shown));
    current = 0;
  }
  items.swap(rebuilt);
  return jobs;
}

// Takes photos prepared for their slots into `items` (a null item: nothing
// could be made for the photo, whose stand-in then goes). Each goes to its
// place in slot order, in place of its stand-in; the photo shown (`current`)
// stays shown; a leaving photo goes when the first new one has come.
template <class Item>
JoinedPhotos JoinPrepared(std::vector<std::unique_ptr<Item>>& items, int& current,
                          std::vector<std::pair<std::size_t, std::unique_ptr<Item>>> prepared) {
  JoinedPhotos joined;
  const bool leaving = !items.empty() && items.back()->slot == kLeavingSlot;
  joined.wasEmpty = items.size() == (leaving ? 1u : 0u);
  for (auto& [slot, item] : prepared) {
    auto at = std::lower_bound(items.begin(), items.end(), slot,
                               [](const std::unique_ptr<Item>& i, std::size_t s) { return i->slot < s; });
    const int pos = static_cast<int>(at - items.begin());
    const bool standIn = at != items.end() && (*at)->slot == slot;
    joined.changed = true;
    if (pos == current && standIn) joined.currentChanged = true;
    if (!item) {
      if (!standIn) continue;
      items.erase(at);
      if (pos < current) --current;
      continue;
    }
    item->slot = slot;
    if (standIn) {
      *at = std::move(item);
    } else {
      items.insert(at, std::move(item));
      if (!joined.wasEmpty && pos <= current) ++current;
    }
  }
  if (joined.changed && leaving && items.size() > 1) {
    items.pop_back();
    current = 0;
  }
  return joined;
}

// The drift's prepared photos and the one shown.
template <class Item>
class PhotoSet {
 public:
  using Items = std::vector<std::unique_ptr<Item>>;

  // The photos wanted now, for the settings given; the jobs to prepare
  // (RebuildPhotoList).
  std::vector<PhotoJob> Rebuild(const std::vector<WantedPhoto>& wanted, std::uint16_t displayType,
                                std::uint16_t photoSize, int dpi = 96) {
    return RebuildPhotoList(items_, current_, wanted, displayType, photoSize, dpi);
  }
  // Takes in prepared photos (JoinPrepared).
  JoinedPhotos Join(std::vector<std::pair<std::size_t, std::unique_ptr<Item>>> prepared) {
    return JoinPrepared(items_, current_, std::move(prepared));
  }
  void Clear() {
    items_.clear();
    current_ = 0;
  }

  bool Empty() const { return items_.empty(); }
  std::size_t Count() const { return items_.size(); }
  const Items& All() const { return items_; }
  // The photo shown (one there must be); an index past the end (the list
  // shrank) shows the first.
  const Item& Current() {
    if (current_ < 0 || current_ >= static_cast<int>(items_.size())) current_ = 0;
    return *items_[static_cast<std::size_t>(current_)];
  }
  int CurrentIndex() const { return current_; }
  // Shows the photo at `index` (taken modulo the count).
  void Show(int index) { current_ = items_.empty() ? 0 : ((index % Size()) + Size()) % Size(); }
  // Shows the next photo, after the last the first; whether another shows.
  bool Next() {
    if (items_.size() < 2) return false;
    Show(current_ + 1);
    return true;
  }

 private:
  int Size() const { return static_cast<int>(items_.size()); }

  Items items_;
  int current_ = 0;
};

}  // namespace k3
