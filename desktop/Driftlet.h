// CDriftlet: the borderless window in which the selected photos float over
// the desktop, one at a time: it moves a pixel per motion step, bounces off
// the screen edges, switches photo after the chosen interval, can be grabbed
// and thrown, and shows the photo plain or through an animated effect cut
// to its visible pixels by the window region.
//
// The application object holds the one instance for the whole run; the main
// frame creates its window in both modes. Three timers drive it: 1 switches
// photos, 2 takes a motion step, 3 composes a frame every 50 ms.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/Motion.h"
#include "framework/Wnd.h"
#include "imaging/EffectFrames.h"
#include "imaging/Img.h"

namespace k3 {

// One prepared photo: the photo fitted to the chosen size, or the key-colour
// canvas with the photo on it for the effects that need room.
struct CDriftletImg {
  std::unique_ptr<CImg> image;
  int width = 0;
  int height = 0;
};

class CDriftlet : public fw::CWnd {
 public:
  CDriftlet();
  ~CDriftlet() override;

  // Creates the window as the main frame does: a visible popup with a
  // system menu and the application's title, parented to the desktop, with
  // an empty rectangle (the motion gives it its place and size later).
  BOOL CreateDriftWindow(const wchar_t* title);

  // Tool window (no task-bar button) except in viewer mode; class with the
  // program's grab cursor and a hollow background.
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

  // Settings, as the settings panel changes them.
  void SetDisplayType(int type);
  void SetPhotoSize(int index);
  void SetSpeed(int index);
  void SetZOrder(int value);
  void SetSwitchInterval(int index);
  int GetEffectStrength() { return k3::GetEffectStrength(settings); }
  int GetWaveCount() { return k3::GetWaveCount(settings); }
  void SetEffectStrength(int value);
  void SetWaveCount(int value);

  // Replaces the photos by the existing ones among `paths`, prepares them
  // and shows the first.
  void LoadPhotos(const std::vector<std::wstring>& paths);

  // One motion step (and, with `compose`, a frame at once).
  void StepMotion(bool compose);
  // Builds, shapes, places and draws one frame.
  void ComposeFrame();
  // Prepares every photo for the chosen size and type.
  void RebuildItems();
  void ClearItems();
  // Draws the current frame or photo (into the window's own DC without one).
  void DrawFrame(HDC dc = nullptr);

  // The display settings record, first member as the package file expects.
  DisplaySettings settings;
  MotionState motion;
  int currentIndex = 0;
  UINT_PTR switchTimer = 0;
  UINT_PTR frameTimer = 0;
  UINT_PTR motionTimer = 0;
  FramePtr frameImage;
  RECT frameBox{0, 0, 0, 0};
  int composing = 0;
  std::wstring tempFolder;
  std::vector<std::wstring> photoPaths;
  std::vector<std::unique_ptr<CDriftletImg>> items;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnClose();
  void ApplyZOrder();
  void StartSwitchTimer();
  void StartMotionTimer();
  // The modal loop of a grab: follows the mouse, then throws the photo.
  void DragWindow();
  // Cuts the window to the frame's visible pixels and places it.
  void ShapeAndPlace(int left, int top);
};

}  // namespace k3
