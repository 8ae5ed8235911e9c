#include "desktop/DisplaySettings.h"

#include <cstring>

namespace k3 {

namespace {

constexpr std::uint32_t kDurations[9] = {1000, 5000, 10000, 30000, 60000, 300000, 600000, 1800000, 3600000};

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

int Clamp(int v, int low, int high) { return v <= low ? low : (v >= high ? high : v); }

}  // namespace

std::array<std::uint8_t, kSettingsBytes> SettingsToBytes(const DisplaySettings& s) {
  std::array<std::uint8_t, kSettingsBytes> b{};
  Put16(&b[0], s.displayType);
  Put16(&b[2], s.frameInterval);
  Put16(&b[4], s.photoSize);
  Put16(&b[6], s.zOrder);
  Put16(&b[8], s.switchInterval);
  Put16(&b[10], s.effectStrength);
  Put16(&b[12], s.waveCount);
  std::memcpy(&b[14], s.reserved, sizeof s.reserved);
  return b;
}

DisplaySettings SettingsFromBytes(const std::uint8_t* b) {
  DisplaySettings s;
  s.displayType = Get16(b + 0);
  s.frameInterval = Get16(b + 2);
  s.photoSize = Get16(b + 4);
  s.zOrder = Get16(b + 6);
  s.switchInterval = Get16(b + 8);
  s.effectStrength = Get16(b + 10);
  s.waveCount = Get16(b + 12);
  std::memcpy(s.reserved, b + 14, sizeof s.reserved);
  return s;
}

std::uint16_t SpeedPeriod(int index) {
  switch (index) {
    case 0:
      return 50;
    case 1:
      return 25;
    default:
      return 0;
  }
}

std::uint32_t IntervalDuration(int index) { return kDurations[(index >= 0 && index <= 8) ? index : 8]; }

std::uint16_t IntervalValue(int index) { return static_cast<std::uint16_t>(IntervalDuration(index) & 0xFFFF); }

std::uint32_t SwitchTimerPeriod(std::uint16_t stored) {
  for (int index = 5; index <= 8; ++index) {
    if (stored == IntervalValue(index)) return IntervalDuration(index);
  }
  return stored;
}

bool ShowSettings::SetSpeed(int index) { return Set(record_.frameInterval, SpeedPeriod(index)); }
bool ShowSettings::SetSwitchInterval(int index) { return Set(record_.switchInterval, IntervalValue(index)); }
int ShowSettings::EffectStrength() { return GetEffectStrength(record_); }
int ShowSettings::WaveCount() { return GetWaveCount(record_); }
void ShowSettings::Load(const std::uint8_t* bytes) { record_ = SettingsFromBytes(bytes); }
std::array<std::uint8_t, kSettingsBytes> ShowSettings::Bytes() const { return SettingsToBytes(record_); }

SettingChoices ChoicesOf(const DisplaySettings& s) {
  SettingChoices c;
  c.type = s.displayType <= kRotate ? static_cast<int>(s.displayType) : static_cast<int>(kPhoto);
  for (int i = 0; i < 3; ++i) {
    if (s.frameInterval == SpeedPeriod(i)) c.speed = i;
  }
  c.size = s.photoSize <= 4 ? s.photoSize : 4;
  c.zOrder = s.zOrder <= kTopMost ? s.zOrder : -1;
  for (int i = 0; i <= 8; ++i) {
    if (s.switchInterval == IntervalValue(i)) c.interval = i;
  }
  return c;
}

int BoxSide(std::uint16_t photoSize) {
  static const int sides[5] = {32, 64, 128, 256, 512};
  return photoSize <= 4 ? sides[photoSize] : 512;
}

int GetEffectStrength(DisplaySettings& s) {
  switch (s.displayType) {
    case kSphere:
      if (s.effectStrength == 0) s.effectStrength = 90;
      return Clamp(s.effectStrength, 50, 90);
    case kRipple:
    case kWave:
      if (s.effectStrength == 0) s.effectStrength = 90;
      return Clamp(s.effectStrength, 50, 300);
    default:
      return s.effectStrength;
  }
}

int GetWaveCount(DisplaySettings& s) {
  if (s.displayType != kRipple && s.displayType != kWave) return s.waveCount;
  if (s.waveCount == 0) s.waveCount = 10;
  return Clamp(s.waveCount, 1, 20);
}

}  // namespace k3
