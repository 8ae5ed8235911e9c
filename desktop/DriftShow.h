// What the drift shows: the display settings record (the program's one,
// owned and written here only), the paths of its photos and the folder of
// the photos extracted from an opened package. The setters say whether the
// setting changed, so that the window does only what the change asks of
// it.
#pragma once

#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "files/FileUtils.h"
#include "files/Package.h"
#include "imaging/PhotoHead.h"

namespace k3 {

class DriftShow {
 public:
  DriftShow() = default;
  DriftShow(const DriftShow&) = delete;
  DriftShow& operator=(const DriftShow&) = delete;

  // The record and its setters.
  ShowSettings& Settings() { return settings_; }
  const DisplaySettings& Record() const { return settings_.Record(); }

  // The photos to show: those of `paths` that exist, with their heads when
  // given (one for each path).
  void SetPaths(const std::vector<std::wstring>& paths, const std::vector<PhotoHead>& heads = {});
  const std::vector<std::wstring>& Paths() const { return paths_; }
  // The head of the photo at `index`, or none.
  PhotoHead Head(std::size_t index) const { return index < heads_.size() ? heads_[index] : PhotoHead{}; }
  // Takes an opened package's settings and folder; its photos' paths.
  std::vector<std::wstring> Adopt(OpenedPackage&& package);
  const std::wstring& ExtractedFolder() const { return folder_.path(); }
  // Removes the folder of extracted photos (nothing reads them any more).
  void RemoveExtracted() { folder_.reset(); }

 private:
  ShowSettings settings_;
  std::vector<std::wstring> paths_;
  std::vector<PhotoHead> heads_;
  OwnedFolder folder_;
};

}  // namespace k3
