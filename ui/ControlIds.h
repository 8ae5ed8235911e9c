// The identifiers of the main view's controls: the view, its parts and the
// tests that find the controls by them share these.
#pragma once

namespace k3::ids {

// The view itself, as the frame's first pane (the frame keeps the window of
// this id over its client area).
inline constexpr unsigned kView = 0xE900;

// Image buttons.
inline constexpr unsigned kSave = 200;
inline constexpr unsigned kRemove = 205;
inline constexpr unsigned kRemoveAll = 206;
inline constexpr unsigned kUpdate = 214;
inline constexpr unsigned kVendorPage = 215;
inline constexpr unsigned kProductPage = 216;
inline constexpr unsigned kMinimize = 217;
inline constexpr unsigned kClose = 218;

// The photo list.
inline constexpr unsigned kImageList = 203;

// The settings panel's radio groups: the first id of each, one id per
// choice in order.
inline constexpr unsigned kTypeFirst = 223;  // Photo, Sphere, Ripple, Wave, Rotate
inline constexpr int kTypeCount = 5;
inline constexpr unsigned kSpeedFirst = 228;  // Slow, Normal, Fast
inline constexpr int kSpeedCount = 3;
inline constexpr unsigned kSizeFirst = 231;  // 32, 64, 128, 256, 512
inline constexpr int kSizeCount = 5;
inline constexpr unsigned kZOrderFirst = 236;  // bottom, normal, top
inline constexpr int kZOrderCount = 3;
inline constexpr unsigned kIntervalFirst = 239;  // 1 s ... 60 min
inline constexpr int kIntervalCount = 9;
// The trackbars.
inline constexpr unsigned kStrengthSlider = 248;
inline constexpr unsigned kWaveCountSlider = 249;
// The group labels (one id for all: nothing refers to them).
inline constexpr unsigned kLabel = 0xFFFF;
// The labels that name the list (hidden) and the sliders.
inline constexpr unsigned kPhotosLabel = 250;
inline constexpr unsigned kStrengthLabel = 251;
inline constexpr unsigned kWaveCountLabel = 252;

}  // namespace k3::ids
