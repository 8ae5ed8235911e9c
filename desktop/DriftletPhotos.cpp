// The drifting window's photos: which are wanted, which are prepared, and
// how those the workers prepare join the drift.
#include "desktop/Driftlet.h"

#include <algorithm>
#include <utility>

namespace k3 {

void CDriftlet::LoadPhotos(const std::vector<std::wstring>& paths) {
  photoPaths.clear();
  for (const std::wstring& path : paths) {
    if (FileExists(path) != PathKind::None) photoPaths.push_back(path);
  }
  RebuildItems();
  currentIndex = 0;
  StepMotion(true);
}

void CDriftlet::ClearItems() {
  batch_ = preparer_.Start({}, settings);
  items.clear();
  drawn_ = nullptr;
  frameSource_ = nullptr;
  UpdateTimers();
}

void CDriftlet::RebuildItems() {
  // The photos prepared for these settings from the same unchanged files
  // are kept; the others are made on the workers. Until a photo's new form
  // comes, its old one stands in, so a new size or type never leaves the
  // drift empty in between.
  std::vector<std::unique_ptr<CDriftletImg>> rebuilt;
  std::vector<PhotoPreparer::Job> jobs;
  for (std::size_t slot = 0; slot < photoPaths.size(); ++slot) {
    const std::wstring& path = photoPaths[slot];
    const std::uint64_t fileTime = LastWriteTime(path);
    auto same = std::find_if(items.begin(), items.end(), [&](const std::unique_ptr<CDriftletImg>& old) {
      return old && old->path == path && old->fileTime == fileTime && old->displayType == settings.displayType &&
             old->photoSize == settings.photoSize;
    });
    if (same == items.end()) {
      jobs.push_back(PhotoPreparer::Job{slot, path, fileTime});
      same = std::find_if(items.begin(), items.end(),
                          [&](const std::unique_ptr<CDriftletImg>& old) { return old && old->path == path; });
    }
    if (same != items.end()) {
      (*same)->slot = slot;
      rebuilt.push_back(std::move(*same));
    }
  }
  // A list that shares no photo with the one before: the photo shown goes on
  // showing until the first new one comes, so the drift does not blink out.
  if (rebuilt.empty() && !jobs.empty() && currentIndex >= 0 && currentIndex < static_cast<int>(items.size()) &&
      items[static_cast<std::size_t>(currentIndex)]) {
    auto& shown = items[static_cast<std::size_t>(currentIndex)];
    shown->slot = CDriftletImg::kLeavingSlot;
    rebuilt.push_back(std::move(shown));
    currentIndex = 0;
  }
  batch_ = preparer_.Start(std::move(jobs), settings);
  items.swap(rebuilt);
  drawn_ = nullptr;
  frameSource_ = nullptr;
  UpdateTimers();
}

void CDriftlet::TakePrepared() {
  std::vector<PhotoPreparer::Done> done = preparer_.Take();
  const bool leaving = !items.empty() && items.back()->slot == CDriftletImg::kLeavingSlot;
  const bool wasEmpty = items.size() == (leaving ? 1u : 0u);
  bool changed = false, currentChanged = false;
  for (PhotoPreparer::Done& d : done) {
    if (d.batch != batch_) continue;
    auto at = std::lower_bound(items.begin(), items.end(), d.slot,
                               [](const std::unique_ptr<CDriftletImg>& item, std::size_t slot) { return item->slot < slot; });
    const int pos = static_cast<int>(at - items.begin());
    const bool standIn = at != items.end() && (*at)->slot == d.slot;
    changed = true;
    if (pos == currentIndex && standIn) currentChanged = true;
    if (!d.item) {
      if (!standIn) continue;
      items.erase(at);
      if (pos < currentIndex) --currentIndex;
      continue;
    }
    d.item->slot = d.slot;
    if (standIn) {
      *at = std::move(d.item);
    } else {
      items.insert(at, std::move(d.item));
      // The photo shown stays shown.
      if (!wasEmpty && pos <= currentIndex) ++currentIndex;
    }
  }
  if (!changed) return;
  if (leaving && items.size() > 1) {
    items.pop_back();
    currentIndex = 0;
  }
  drawn_ = nullptr;
  frameSource_ = nullptr;
  UpdateTimers();
  if (wasEmpty) {
    ApplyVisibility();
    StepMotion(true);
  } else if (currentChanged) {
    ComposeFrame();
    // A new shape may have moved the window in the window system's stack.
    RestoreStacking();
  }
}

bool CDriftlet::WaitForPhotos(DWORD ms) {
  const bool all = preparer_.WaitIdle(ms);
  TakePrepared();
  return all;
}

}  // namespace k3
