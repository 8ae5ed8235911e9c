// CDriftlet: the borderless window in which the selected photos float over
// the desktop, one at a time: it moves a pixel per motion step, bounces off
// the screen edges, switches photo after the chosen interval, can be grabbed
// and thrown, and shows the photo plain or through an animated effect cut
// to its visible pixels by the window region.
//
// The application object holds the one instance for the whole run; the main
// frame creates its window in both modes. Three timers drive it while it
// has photos: 1 switches photos, 2 takes a motion step, 3 composes a frame
// every 50 ms; 4 looks at the foreground once a second while a full-screen
// program hides it, and 5 lets a full-screen program settle for half a
// second before it counts. While nobody can see it (the session locked, the display off, a full-screen
// program in the foreground on its screen) it is hidden and runs no timers;
// then it comes back where it was and goes on. The user may pause it or
// hide it; while the system's animations are off it stands still. The window
// owns everything it shows: its photos, its frames and the folder of photos
// extracted from a package all go when the window is destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/DriftVisibility.h"
#include "desktop/DriftShow.h"
#include "desktop/DriftWatch.h"
#include "desktop/FrameComposer.h"
#include "desktop/Motion.h"
#include "desktop/PhotoPreparer.h"
#include "desktop/PhotoSet.h"
#include "desktop/Screens.h"
#include "files/Package.h"
#include "framework/Wnd.h"
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
  int GetEffectStrength() { return show_.Settings().EffectStrength(); }
  int GetWaveCount() { return show_.Settings().WaveCount(); }
  void SetEffectStrength(int value);
  void SetWaveCount(int value);

  // The display settings record, read only: the operations above change
  // it, and an opened package replaces it whole.
  const DisplaySettings& Settings() const { return show_.Record(); }

  // Replaces the photos by the existing ones among `paths`, prepares them
  // and shows the first. The photos are prepared on worker threads and
  // join the drift as they come; those already prepared for the same
  // settings stay and show at once. `heads`, when given, are what the
  // photos' list rows read of their heads, one for each path.
  void LoadPhotos(const std::vector<std::wstring>& paths, const std::vector<PhotoHead>& heads = {});

  // The same after another window of the program appeared over it: a
  // topmost window is taken out of the topmost band and put back, so that
  // the window system really moves it (one that already seems in place is
  // left where the screen may not show it).
  void RestoreStacking();

  // The session ends and the process may end as soon as this returns: the
  // timers and the workers stop, and the folder of a show's extracted
  // photos goes (the photos shown are in memory).
  void EndSession();

  // The DPI of the drift's screen: the photos' sizes are logical sizes,
  // prepared with that screen's physical pixels.
  int Dpi() const { return dpi_; }
  // The grab cursor: made for the window's DPI, the class's at 96.
  HCURSOR GrabCursor() const;

  // Why the drift is hidden now; nothing set, it shows.
  const DriftVisibility& Visibility() const { return visibility_; }

  // The user's pause (the photo stays where it is, with the frame it shows,
  // and switches no photo) and the user's hiding of the photos. The
  // system's animation setting is followed by the window itself: while
  // "Show animations" is off, the photo stands still and an effect shows
  // its first frame.
  void SetPaused(bool paused);
  void SetHiddenByUser(bool hidden);
  const DriftHold& Hold() const { return hold_; }
  // What runs now.
  const DriftActivity& Activity() const { return activity_; }

  // What the drift shows: the paths of the photos and the folder of a
  // show's extracted photos (empty for none).
  const std::vector<std::wstring>& PhotoPaths() const { return show_.Paths(); }
  const std::wstring& ExtractedFolder() const { return show_.ExtractedFolder(); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Whether the primary mouse button is still held (the grab loop ends when
  // it is not).
  virtual bool PrimaryButtonHeld() const;
  // While a frame is composed, paint requests are answered without drawing
  // (the frame is drawn right after).
  void MarkComposing(bool on) { composing_ = on; }

 private:
  // Tests and benchmarks reach the single steps, the prepared photos and
  // the motion through it (desktop/DriftletProbe.h).
  friend class DriftletProbe;

  // Waits for the photos under preparation and takes them in, at most `ms`;
  // whether all came.
  bool WaitForPhotos(DWORD ms = 20000);
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
  // Shows the photo at `index` from the next frame on.
  void ShowPhoto(int index);

  enum TimerId : UINT_PTR { kSwitchTimer = 1, kMotionTimer = 2, kFrameTimer = 3, kLookTimer = 4, kSettleTimer = 5 };
  static constexpr UINT kFramePeriod = 50;
  // How often the foreground and the screen are looked at: every 20th frame
  // while drifting; by a timer of its own while hidden behind a full-screen
  // program on a system that sends no foreground events.
  static constexpr int kFramesPerLook = 20;
  static constexpr UINT kLookPeriod = 1000;

  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnClose();
  // The photos are prepared again for a new display type or size.
  void ReshapePhotos();
  void StartSwitchTimer();
  void StartMotionTimer();
  // Starts the timers that do not run while there are photos; stops them
  // all when there are none.
  void UpdateTimers();
  void StopTimers();
  // The modal loop of a grab: follows the mouse, then throws the photo.
  void DragWindow();
  // Gives the window the composer's new region, or none.
  void Reshape(const ComposedFrame& frame);
  // Moves and sizes the window (only what changed).
  void Place(const Rect& place);
  // Forgets what the window system was last given, so that the next frame
  // gives it everything again.
  void ForgetWindowState();
  HDC FrameDc();
  void ReleaseContent();
  // Hides the window and stops its timers, or shows it and starts those
  // that run, as the visibility and the hold say.
  void ApplyActivity();
  // Reads the screens and the foreground again.
  void LookAround();
  // Reads the system's animation setting again.
  void LookAtAnimations();
  std::vector<Rect> GatherScreens() const;
  // The screens the photo roams, gathered at the first need and after a
  // display change.
  const std::vector<Rect>& Screens();
  // What the foreground shows now: a full-screen program that has stayed
  // half a second takes its monitor out of the roaming, and hides the
  // drift when no monitor is left (one monitor, or the presentation mode).
  void SeeFullScreen(const FullScreenSeen& seen);
  bool OnSessionChange(WPARAM change);
  // The screen's DPI changed (the photo crossed onto another monitor, or
  // the user chose another scale): the photos are prepared again for it,
  // the old ones standing in meanwhile.
  void OnDpiChanged(int dpi);
  void LookAtDpi();
  bool OnPowerBroadcast(WPARAM event, LPARAM data);
  // Takes in the photos the workers prepared for the current batch.
  void TakePrepared();

  RandomSource random_;
  DriftShow show_;
  PhotoSet<CDriftletImg> photos_;
  FrameComposer composer_;
  MotionState motion_;
  UINT_PTR switchTimer_ = 0;
  UINT_PTR frameTimer_ = 0;
  UINT_PTR motionTimer_ = 0;
  bool onlyChanges_ = true;
  bool composing_ = false;
  HWND closeTarget_ = nullptr;
  bool toolWindow_ = true;
  // Set when the window loses the mouse capture during a grab.
  bool captureLost_ = false;
  // The photo is held by the mouse.
  bool grabbing_ = false;
  // The picture the window shows (null: the window's pixels are to be
  // drawn).
  const CImg* drawn_ = nullptr;
  // The screens the photo roams (the whole desktop of one monitor; the work
  // areas of several, the primary's first); after a display change the
  // next step first puts the photo back on them.
  std::vector<Rect> screens_;
  // The monitor a full-screen program holds (empty: none): the photo roams
  // the others.
  Rect blocked_;
  bool screensKnown_ = false;
  bool screensChanged_ = false;
  std::function<std::vector<Rect>()> screenSource_;
  DriftVisibility visibility_;
  FullScreenSettle settle_;
  int dpi_ = 96;
  // The grab cursor at the size the window's DPI asks for.
  fw::OwnedCursor grab_;
  // The DPI the system last reported for the window.
  int seenDpi_ = 96;
  DriftHold hold_;
  // The window is made visible, with everything running.
  DriftActivity activity_ = ActivityOf({}, {});
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
};

}  // namespace k3
