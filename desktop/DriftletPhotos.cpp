// The drifting window's photos: which are wanted, which are prepared, and
// how those the workers prepare join the drift.
#include "desktop/Driftlet.h"

#include <algorithm>
#include <utility>

#include "desktop/PhotoSet.h"

namespace k3 {

void CDriftlet::LoadPhotos(const std::vector<std::wstring>& paths, const std::vector<PhotoHead>& heads) {
  show_.SetPaths(paths, heads);
  RebuildItems();
  photos_.Show(0);
  StepMotion(true);
}

void CDriftlet::ClearItems() {
  preparer_.Start({}, Settings());
  photos_.Clear();
  drawn_ = nullptr;
  composer_.ForgetSource();
  UpdateTimers();
}

void CDriftlet::RebuildItems() {
  std::vector<WantedPhoto> wanted;
  for (std::size_t i = 0; i < show_.Paths().size(); ++i) {
    const std::wstring& path = show_.Paths()[i];
    wanted.push_back(WantedPhoto{path, LastWriteTime(path), show_.Head(i)});
  }
  std::vector<PhotoPreparer::Job> work;
  for (PhotoJob& job : photos_.Rebuild(wanted, Settings().displayType, Settings().photoSize, dpi_)) {
    work.push_back(PhotoPreparer::Job{job.slot, std::move(job.path), job.fileTime, job.head});
  }
  preparer_.Start(std::move(work), Settings(), dpi_);
  drawn_ = nullptr;
  composer_.ForgetSource();
  UpdateTimers();
}

void CDriftlet::TakePrepared() {
  std::vector<std::pair<std::size_t, std::unique_ptr<CDriftletImg>>> prepared;
  for (PhotoPreparer::Done& d : preparer_.Take()) {
    prepared.emplace_back(d.slot, std::move(d.item));
  }
  const JoinedPhotos joined = photos_.Join(std::move(prepared));
  if (!joined.changed) return;
  drawn_ = nullptr;
  composer_.ForgetSource();
  UpdateTimers();
  if (joined.wasEmpty) {
    ApplyActivity();
    StepMotion(true);
  } else if (joined.currentChanged) {
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
