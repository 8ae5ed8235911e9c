// The drift's prepared photos as one list in the order of its photo paths:
// which photos prepared before stay when the list or the settings change,
// which are made again, and how the photos the workers bring join the list
// while the photo shown stays shown. An item is anything with the fields of
// the drift's prepared photo (CDriftletImg: `slot`, `path`, `fileTime`,
// `displayType`, `photoSize`). Pure, tested natively.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace k3 {

// The slot of the photo of a list before, shown until the first photo of
// the new list comes.
inline constexpr std::size_t kLeavingSlot = static_cast<std::size_t>(-1);

// A photo the drift is to show: its file and the file's last write time.
struct WantedPhoto {
  std::wstring path;
  std::uint64_t fileTime = 0;
};

// A photo to be prepared, for its place in the list.
struct PhotoJob {
  std::size_t slot = 0;
  std::wstring path;
  std::uint64_t fileTime = 0;
};

// What taking in prepared photos changed.
struct JoinedPhotos {
  bool changed = false;         // the list changed
  bool currentChanged = false;  // the photo shown is a new one in its place
  bool wasEmpty = false;        // nothing (but a leaving photo) showed before
};

// The photos wanted now, for the settings given (display type, size): of
// `items` (the list shown, `current` its photo shown), those prepared for
// these settings from the same unchanged files stay; the others are to be
// prepared (the jobs returned). Until a photo's new form comes, its old one
// stands in. A list that shares no photo with the one before keeps the photo
// shown, as leaving, until the first new one comes, so that the drift does
// not blink out.
template <class Item>
std::vector<PhotoJob> RebuildPhotoList(std::vector<std::unique_ptr<Item>>& items, int& current,
                                       const std::vector<WantedPhoto>& wanted, std::uint16_t displayType,
                                       std::uint16_t photoSize) {
  std::vector<std::unique_ptr<Item>> rebuilt;
  std::vector<PhotoJob> jobs;
  for (std::size_t slot = 0; slot < wanted.size(); ++slot) {
    const WantedPhoto& photo = wanted[slot];
    auto same = std::find_if(items.begin(), items.end(), [&](const std::unique_ptr<Item>& old) {
      return old && old->path == photo.path && old->fileTime == photo.fileTime && old->displayType == displayType &&
             old->photoSize == photoSize;
    });
    if (same == items.end()) {
      jobs.push_back(PhotoJob{slot, photo.path, photo.fileTime});
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

}  // namespace k3
