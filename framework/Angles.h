// The angle constants of the motion and the effects. They are the program's
// own digits, not full double precision: positions, turns and frame sizes
// depend on them to the last bit, so every calculation uses these and none
// the standard library's.
#pragma once

namespace k3 {

inline constexpr double kPi = 3.14159265359;
inline constexpr double kHalfPi = 1.570796326795;
inline constexpr double kThreeHalvesPi = 4.7123889803850005;
inline constexpr double kTwoPi = 6.28318530718;

}  // namespace k3
