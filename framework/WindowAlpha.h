// The opacity of a whole window in percent, as the splash fades the logo
// and the main frame. Portable arithmetic; SetWindowAlphaPercent in
// framework/Services.h applies it.
#pragma once

#include <cstdint>
#include <optional>

namespace k3 {

// The constant opacity (0..255) of a window shown at `percent`: nothing for
// exactly 100, which is shown without the layered style; otherwise the
// percentage clamped to 0..100, times 255 / 100 (the product first). So 150
// is full opacity through the layered style, and -5 is 0.
constexpr std::optional<std::uint8_t> LayeredOpacity(int percent) {
  if (percent == 100) return std::nullopt;
  const int clamped = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  return static_cast<std::uint8_t>(clamped * 255 / 100);
}

}  // namespace k3
