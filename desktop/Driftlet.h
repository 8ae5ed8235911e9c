// CDriftlet: the borderless window in which the selected photos float over
// the desktop, one at a time: it moves a pixel per motion step, bounces off
// the screen edges, switches photo after the chosen interval, can be grabbed
// and thrown, and shows the photo plain or through an animated effect cut
// to its visible pixels by the window region.
//
// The application object holds the one instance for the whole run; the main
// frame creates its window in both modes. Three timers drive it: 1 switches
// photos, 2 takes a motion step, 3 composes a frame every 50 ms. While
// nobody can see it (the session locked, the display off, a full-screen
// program in the foreground on its screen) it is hidden and runs no timers;
// then it comes back where it was and goes on. The window
// owns everything it shows: its photos, its frames and the folder of photos
// extracted from a package all go when the window is destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/DriftVisibility.h"
#include "desktop/DriftWatch.h"
#include "desktop/Motion.h"
#include "desktop/PhotoPreparer.h"
#include "files/FileUtils.h"
#include "files/Package.h"
#include "framework/Wnd.h"
#include "imaging/EffectFrames.h"
#include "imaging/Effects.h"
#include "imaging/Img.h"

namespace k3 {

class CDriftlet : public fw::CWnd {
 public:
  // The motion and the effects draw their random numbers from `random`
  // (without one, the C library's generator, which start-up seeds once).
  explicit CDriftlet(RandomSource random = {});
  ~CDriftlet() override;

  // Creates the window as the main frame does: a visible popup with a
  // system menu and the application's title, parented to the desktop, with
  // an empty rectangle (the motion gives it its place and size later).
  // `toolWindow` keeps it out of the task bar (normal mode, where the main
  // frame has the button). When the user closes it, a close request is
  // posted to `closeTarget` (the hidden frame in viewer mode); without one
  // the window stays.
  BOOL CreateDriftWindow(const wchar_t* title, bool toolWindow, HWND closeTarget);

  // Class with the program's grab cursor and a hollow background.
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

  // Shows an opened package: its settings and its photos. Its folder of
  // extracted photos belongs to the window from here on.
  void ShowPackage(OpenedPackage&& package);

  // Settings, as the settings panel changes them.
  void SetDisplayType(int type);
  void SetPhotoSize(int index);
  void SetSpeed(int index);
  void SetZOrder(ZOrder value);
  void SetSwitchInterval(int index);
  int GetEffectStrength() { return k3::GetEffectStrength(settings); }
  int GetWaveCount() { return k3::GetWaveCount(settings); }
  void SetEffectStrength(int value);
  void SetWaveCount(int value);

  // Replaces the photos by the existing ones among `paths`, prepares them
  // and shows the first. The photos are prepared on worker threads and
  // join the drift as they come; those already prepared for the same
  // settings stay and show at once.
  void LoadPhotos(const std::vector<std::wstring>& paths);
  // Waits for the photos under preparation and takes them in, at most `ms`
  // (tests and benchmarks); whether all came.
  bool WaitForPhotos(DWORD ms = 20000);
  // Waits for the photos under preparation without taking them in (they
  // come with the workers' notice), at most `ms`; whether all are done.
  bool WaitUntilPrepared(DWORD ms = 20000) { return preparer_.WaitIdle(ms); }
  // How many threads prepare the photos (they start with the first photo).
  int PreparerWorkers() const { return preparer_.Workers(); }

  // One motion step (and, with `compose`, a frame at once).
  void StepMotion(bool compose);
  // Builds, shapes, places and draws one frame.
  void ComposeFrame();
  // Prepares every photo for the chosen size and type; photos already
  // prepared for them are kept, not made again. A photo prepared for other
  // settings stands in for itself until its new form comes.
  void RebuildItems();
  void ClearItems();
  // Draws the current frame or photo (into the window's own DC without one).
  void DrawFrame(HDC dc = nullptr);
  // Puts the window where its stacking order says.
  void ApplyZOrder();
  // The same after another window of the program appeared over it: a
  // topmost window is taken out of the topmost band and put back, so that
  // the window system really moves it (one that already seems in place is
  // left where the screen may not show it).
  void RestoreStacking();

  // Starts the effects' animation from its beginning (for tests and
  // benchmarks that repeat a sequence of frames).
  void RestartEffectAnimation() { effect_ = EffectState{}; }

  // The session ends and the process may end as soon as this returns: the
  // timers and the workers stop, and the folder of a show's extracted
  // photos goes (the photos shown are in memory).
  void EndSession();

  // Why the drift is hidden now; nothing set, it shows.
  const DriftVisibility& Visibility() const { return visibility_; }

  // The display settings record, first member as the package file expects.
  DisplaySettings settings;
  MotionState motion;
  int currentIndex = 0;
  UINT_PTR switchTimer = 0;
  UINT_PTR frameTimer = 0;
  UINT_PTR motionTimer = 0;
  // The photos extracted from an opened package.
  OwnedFolder tempFolder;
  // Frames are recycled through the window's own pool, declared before the
  // frame so that the frame goes back to it first.
  FramePool framePool;
  FramePtr frameImage;
  RECT frameBox{0, 0, 0, 0};
  bool composing = false;
  std::vector<std::wstring> photoPaths;
  // The photos prepared so far, in the order of `photoPaths`.
  std::vector<std::unique_ptr<CDriftletImg>> items;
  // Frames give the window system only what changed since the last one (a
  // new region, a new place, new pixels). Off, every frame sets the region,
  // the place and the pixels again (for comparison in tests and benchmarks).
  bool onlyChanges = true;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Whether the primary mouse button is still held (the grab loop ends when
  // it is not).
  virtual bool PrimaryButtonHeld() const;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnClose();
  // Sets the display type or the photo size (`field` of the settings).
  void SetPhotoShape(std::uint16_t& field, int value);
  void StartSwitchTimer();
  void StartMotionTimer();
  // Starts the timers that do not run while there are photos; stops them
  // all when there are none.
  void UpdateTimers();
  void StopTimers();
  // The modal loop of a grab: follows the mouse, then throws the photo.
  void DragWindow();
  // Cuts the window to the frame's visible pixels and places it.
  void ShapeAndPlace(int left, int top);
  // Gives the window no region (the plain photo's rectangle).
  void ClearShape();
  // Moves and sizes the window; whether its size changed.
  bool Place(int left, int top, int width, int height);
  // Forgets what the window system was last given, so that the next frame
  // gives it everything again.
  void ForgetWindowState();
  HDC FrameDc();
  void ReleaseContent();
  // Hides the window and stops its timers, or shows it and starts them,
  // as the visibility says.
  void ApplyVisibility();
  // Reads the screen's size and the foreground again.
  void LookAround();
  bool OnSessionChange(WPARAM change);
  bool OnPowerBroadcast(WPARAM event, LPARAM data);
  // Takes in the photos the workers prepared for the current batch.
  void TakePrepared();

  RandomSource random_;
  // The effects' animation, carried across photo switches, type changes and
  // new photo lists.
  EffectState effect_;
  HWND closeTarget_ = nullptr;
  bool toolWindow_ = true;
  // Set when the window loses the mouse capture during a grab.
  bool captureLost_ = false;

  // What the window system was last given: the region's runs (none set when
  // `shaped_` is false), the window's rectangle, and the picture drawn into
  // the window (null: the window's pixels are to be drawn).
  bool shaped_ = false;
  std::vector<PixelRun> shapeRuns_;
  std::vector<PixelRun> newRuns_;
  RECT shapeBox_{0, 0, 0, 0};
  const CImg* drawn_ = nullptr;
  // What the current effect frame was made from (its item image, type and
  // parameters), and whether it is new since it was last drawn.
  const CImg* frameSource_ = nullptr;
  int frameType_ = -1;
  EffectFrame frameEffect_;
  bool frameFresh_ = false;
  // The desktop's rectangle, as the motion bounces off it; after a display
  // change the next step first puts the photo inside the new one.
  RECT desktop_{0, 0, 0, 0};
  bool desktopKnown_ = false;
  bool desktopChanged_ = false;
  DriftVisibility visibility_;
  bool paused_ = false;
  DriftWatch watch_;
  // Frames since the foreground was last looked at (the notifications of
  // the foreground's changes are not all a system sends).
  int framesSinceLook_ = 0;
  UINT_PTR lookTimer_ = 0;
  // The window's own device context (its class gives each window one),
  // taken once.
  std::unique_ptr<fw::WindowDc> dc_;
  // Declared after the folder of extracted photos, so that the workers have
  // ended before it goes.
  PhotoPreparer preparer_;
  std::uint64_t batch_ = 0;
};

}  // namespace k3
