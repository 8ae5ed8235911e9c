// The display settings record: how the photos are shown on the desktop.
// Exactly 1024 bytes, seven little-endian 16-bit fields and reserved bytes
// that are carried as they are; package files store it byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace k3 {

enum DisplayType : std::uint16_t { kPhoto = 0, kSphere = 1, kRipple = 2, kWave = 3, kRotate = 4 };

// Where the drifting window stays among the other windows.
enum ZOrder : std::uint16_t { kBottomMost = 0, kNormalOrder = 1, kTopMost = 2 };

struct DisplaySettings {
  std::uint16_t displayType = kRipple;
  std::uint16_t frameInterval = 50;     // motion timer period, ms
  std::uint16_t photoSize = 2;          // box index: 32, 64, 128, 256, 512
  std::uint16_t zOrder = kTopMost;      // a ZOrder
  std::uint16_t switchInterval = 5000;  // photo switch period, ms (low 16 bits)
  std::uint16_t effectStrength = 0;     // 0: not set yet, counts as 90
  std::uint16_t waveCount = 0;          // 0: not set yet, counts as 10
  std::uint8_t reserved[1010] = {};
};

static_assert(sizeof(DisplaySettings) == 1024, "the record is 1024 bytes");
static_assert(offsetof(DisplaySettings, displayType) == 0);
static_assert(offsetof(DisplaySettings, frameInterval) == 2);
static_assert(offsetof(DisplaySettings, photoSize) == 4);
static_assert(offsetof(DisplaySettings, zOrder) == 6);
static_assert(offsetof(DisplaySettings, switchInterval) == 8);
static_assert(offsetof(DisplaySettings, effectStrength) == 10);
static_assert(offsetof(DisplaySettings, waveCount) == 12);
static_assert(offsetof(DisplaySettings, reserved) == 14);

inline constexpr std::size_t kSettingsBytes = sizeof(DisplaySettings);

// The record as stored in files (little-endian fields), and back.
std::array<std::uint8_t, kSettingsBytes> SettingsToBytes(const DisplaySettings& s);
DisplaySettings SettingsFromBytes(const std::uint8_t* bytes);

// The program's one record and its only writer: each setter stores what a
// choice of the settings panel stands for and says whether the record
// changed, so that its user does only what the change asks of it. A
// package's record replaces it byte for byte, reserved bytes included, and
// goes back into a package the same way.
class ShowSettings {
 public:
  const DisplaySettings& Record() const { return record_; }
  bool SetDisplayType(int type) { return Set(record_.displayType, type); }
  bool SetPhotoSize(int index) { return Set(record_.photoSize, index); }
  bool SetZOrder(ZOrder value) { return Set(record_.zOrder, value); }
  bool SetSpeed(int index);
  bool SetSwitchInterval(int index);
  bool SetEffectStrength(int value) { return Set(record_.effectStrength, value); }
  bool SetWaveCount(int value) { return Set(record_.waveCount, value); }
  // The sliders' values (a stored 0 becomes the type's default, stored).
  int EffectStrength();
  int WaveCount();
  // A package's 1024 bytes, and the bytes a package stores.
  void Load(const std::uint8_t* bytes);
  std::array<std::uint8_t, 1024> Bytes() const;
  // The whole record at once.
  void Replace(const DisplaySettings& record) { record_ = record; }

 private:
  static bool Set(std::uint16_t& field, int value) {
    const auto stored = static_cast<std::uint16_t>(value);
    if (field == stored) return false;
    field = stored;
    return true;
  }
  DisplaySettings record_;
};

// frameInterval for a speed index: 0 Slow 50, 1 Normal 25, 2 Fast 0 (any
// other index counts as 2).
std::uint16_t SpeedPeriod(int index);

// switchInterval for an interval index 0..8 (others count as 8), and the
// full duration of the index in milliseconds.
std::uint16_t IntervalValue(int index);
std::uint32_t IntervalDuration(int index);

// The period of the photo switch timer for a stored switchInterval. The
// record keeps only the low 16 bits of the five-minute and longer choices;
// those four stored values stand for their full durations.
std::uint32_t SwitchTimerPeriod(std::uint16_t stored);

// The settings panel's choice of each group that a record stands for, as
// an index of the group's choices; -1 where no choice gives the stored
// value (a package made elsewhere). A display type beyond the last is
// drawn as Photo and a size beyond the last as 512, so those are checked.
struct SettingChoices {
  int type = -1;
  int speed = -1;
  int size = -1;
  int zOrder = -1;
  int interval = -1;
};
SettingChoices ChoicesOf(const DisplaySettings& s);

// Side of the box every photo is fitted into: 32 .. 512; any other index 512.
int BoxSide(std::uint16_t photoSize);

// The slider values as the settings panel shows them: a stored 0 is first
// replaced by its default (and stored), then clamped to the type's range.
int GetEffectStrength(DisplaySettings& s);
int GetWaveCount(DisplaySettings& s);

}  // namespace k3
