// Logical sizes (those of a 96-DPI screen, the ones the program is designed
// in) and the physical pixels of a screen of another DPI. Pure.
#pragma once

#include <functional>

namespace k3 {

inline constexpr int kBaseDpi = 96;

// `logical` pixels at `dpi`, rounded as the system rounds (half away from
// zero); a DPI of 0 or less counts as 96.
constexpr int ScaleForDpi(int logical, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const long long product = static_cast<long long>(logical) * dpi;
  return static_cast<int>(product >= 0 ? (product + kBaseDpi / 2) / kBaseDpi : -((-product + kBaseDpi / 2) / kBaseDpi));
}

// The scale, in per cent, of the pictures drawn for `dpi` among those made
// at 100, 150 and 200: the nearest, the larger on a tie (a picture made
// larger loses less when it is drawn smaller).
constexpr int ArtPercentForDpi(int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const int percent = dpi * 100 / kBaseDpi;
  return percent < 125 ? 100 : percent < 175 ? 150 : 200;
}

// The DPI a window of `logicalWidth` x `logicalHeight` is laid out at so
// that it fits a work area of `workWidth` x `workHeight`: `dpi` itself when
// it fits, else the largest smaller one that does (the whole window drawn
// smaller, every control in it), never below 48.
constexpr int FittingDpi(int dpi, int logicalWidth, int logicalHeight, int workWidth, int workHeight) {
  if (dpi <= 0) dpi = kBaseDpi;
  if (workWidth <= 0 || workHeight <= 0) return dpi;
  while (dpi > 48 && (ScaleForDpi(logicalWidth, dpi) > workWidth || ScaleForDpi(logicalHeight, dpi) > workHeight)) {
    --dpi;
  }
  return dpi;
}

// A window's DPI from the first source that knows it, newest first: the
// window's own (Windows 10 1607 on), its monitor's (Windows 8.1 on), the
// system's (before); a source the system lacks answers 0. 96 when none
// knows.
inline int DpiFromSources(const std::function<unsigned()>& window, const std::function<unsigned()>& monitor,
                          const std::function<unsigned()>& system) {
  for (const auto* source : {&window, &monitor, &system}) {
    if (*source) {
      if (const unsigned dpi = (*source)()) return static_cast<int>(dpi);
    }
  }
  return kBaseDpi;
}

// A system metric at `dpi` from its value at the system's DPI, where the
// system gives metrics for no other DPI.
constexpr int MetricAtDpi(int atSystemDpi, int systemDpi, int dpi) {
  if (systemDpi <= 0 || dpi <= 0) return atSystemDpi;
  const long long product = static_cast<long long>(atSystemDpi) * dpi;
  return static_cast<int>((product + systemDpi / 2) / systemDpi);
}

}  // namespace k3
