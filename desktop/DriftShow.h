// What the drift shows: the display settings (the window's record, which
// only the show writes once the window runs), the paths of its photos and
// the folder of the photos extracted from an opened package. The setters
// say whether the setting changed, so that the window does only what the
// change asks of it.
#pragma once

#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "files/FileUtils.h"
#include "files/Package.h"

namespace k3 {

class DriftShow {
 public:
  explicit DriftShow(DisplaySettings& settings) : settings_(settings) {}
  DriftShow(const DriftShow&) = delete;
  DriftShow& operator=(const DriftShow&) = delete;

  // Each true when the setting changed.
  bool SetDisplayType(int type) { return SetField(settings_.displayType, type); }
  bool SetPhotoSize(int index) { return SetField(settings_.photoSize, index); }
  bool SetZOrder(ZOrder value) { return SetField(settings_.zOrder, value); }
  bool SetSpeed(int index) { return SetField(settings_.frameInterval, SpeedPeriod(index)); }
  bool SetSwitchInterval(int index) { return SetField(settings_.switchInterval, IntervalValue(index)); }
  bool SetEffectStrength(int value) { return SetField(settings_.effectStrength, value); }
  bool SetWaveCount(int value) { return SetField(settings_.waveCount, value); }
  // The sliders' values (a stored 0 becomes the type's default).
  int EffectStrength() { return GetEffectStrength(settings_); }
  int WaveCount() { return GetWaveCount(settings_); }

  // The photos to show: those of `paths` that exist.
  void SetPaths(const std::vector<std::wstring>& paths);
  const std::vector<std::wstring>& Paths() const { return paths_; }
  // Takes an opened package's settings and folder; its photos' paths.
  std::vector<std::wstring> Adopt(OpenedPackage&& package);
  const std::wstring& ExtractedFolder() const { return folder_.path(); }
  // Removes the folder of extracted photos (nothing reads them any more).
  void RemoveExtracted() { folder_.reset(); }

 private:
  static bool SetField(std::uint16_t& field, int value) {
    const auto stored = static_cast<std::uint16_t>(value);
    if (field == stored) return false;
    field = stored;
    return true;
  }

  DisplaySettings& settings_;
  std::vector<std::wstring> paths_;
  OwnedFolder folder_;
};

}  // namespace k3
