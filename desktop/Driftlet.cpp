#include "desktop/Driftlet.h"

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <utility>

#include <wtsapi32.h>

#include "framework/Handles.h"
#include "framework/MouseLoop.h"
#include "framework/Services.h"
#include "imaging/Effects.h"
#include "imaging/ImageOps.h"
#include "res/resource.h"

namespace k3 {

namespace {

enum TimerId : UINT_PTR { kSwitchTimer = 1, kMotionTimer = 2, kFrameTimer = 3, kLookTimer = 4 };
constexpr UINT kFramePeriod = 50;
// How often the foreground and the screen are looked at: every 20th frame
// while drifting; by a timer of its own while hidden behind a full-screen
// program on a system that sends no foreground events.
constexpr int kFramesPerLook = 20;
constexpr UINT kLookPeriod = 1000;

}  // namespace

bool CDriftlet::PrimaryButtonHeld() const { return fw::PrimaryButtonHeld(); }

// Prepared photos are taken on the interface thread once the window exists;
// those prepared before it are taken when it is made.
CDriftlet::CDriftlet(RandomSource random)
    : random_(random ? std::move(random) : RandomSource([] { return std::rand(); })), preparer_([this] {
        if (m_hWnd) TakePrepared();
      }) {
  motion.direction = InitialDirection(random_);
}

CDriftlet::~CDriftlet() {
  // The window's clean-up runs while this class can still answer; without a
  // window the members release what they hold.
  if (m_hWnd) DestroyWindow();
}

BOOL CDriftlet::CreateDriftWindow(const wchar_t* title, bool toolWindow, HWND closeTarget) {
  constexpr DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;  // 0x90080000
  toolWindow_ = toolWindow;
  closeTarget_ = closeTarget;
  if (!CreateEx(0, nullptr, title, kStyle, RECT{0, 0, 0, 0}, ::GetDesktopWindow(), 0)) return FALSE;
  // A window made visible by its style is shown after its creation, over a
  // full-screen program it was created under too.
  if (paused_) ::ShowWindow(m_hWnd, SW_HIDE);
  return TRUE;
}

void CDriftlet::ShowPackage(OpenedPackage&& package) {
  settings = SettingsFromBytes(package.settings.data());
  tempFolder = std::move(package.folder);
  LoadPhotos(package.photos);
}

BOOL CDriftlet::PreCreateWindow(CREATESTRUCTW& cs) {
  if (toolWindow_) cs.dwExStyle |= WS_EX_TOOLWINDOW;
  HCURSOR grab = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_GRAB));
  // A device context of its own: the frames are drawn into it twenty times
  // a second.
  className_ = fw::RegisterWndClass(CS_OWNDC, grab, static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)), nullptr);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

// ---------------------------------------------------------------------------
// Settings

void CDriftlet::SetDisplayType(int type) { SetPhotoShape(settings.displayType, type); }

void CDriftlet::SetPhotoSize(int index) { SetPhotoShape(settings.photoSize, index); }

void CDriftlet::SetPhotoShape(std::uint16_t& field, int value) {
  if (field == static_cast<std::uint16_t>(value)) return;
  field = static_cast<std::uint16_t>(value);
  // The photos are prepared again for their new type or size.
  RebuildItems();
  StepMotion(true);
  // A new shape may have moved the window in the window system's stack.
  RestoreStacking();
}

void CDriftlet::SetSpeed(int index) {
  if (motionTimer) ::KillTimer(m_hWnd, std::exchange(motionTimer, 0));
  settings.frameInterval = SpeedPeriod(index);
  StartMotionTimer();
}

void CDriftlet::SetZOrder(ZOrder value) {
  if (settings.zOrder == static_cast<std::uint16_t>(value)) return;
  settings.zOrder = static_cast<std::uint16_t>(value);
  ApplyZOrder();
}

void CDriftlet::SetSwitchInterval(int index) {
  if (switchTimer) ::KillTimer(m_hWnd, std::exchange(switchTimer, 0));
  settings.switchInterval = IntervalValue(index);
  StartSwitchTimer();
}

void CDriftlet::SetEffectStrength(int value) { settings.effectStrength = static_cast<std::uint16_t>(value); }

void CDriftlet::SetWaveCount(int value) { settings.waveCount = static_cast<std::uint16_t>(value); }

// Without photos the timers would change nothing, and they would still wake
// the program up sixty times a second: they run only while there are photos.
void CDriftlet::StartSwitchTimer() {
  // The record keeps only the low 16 bits of the long intervals; the timer
  // runs for their full duration.
  if (m_hWnd && !items.empty() && !paused_) {
    switchTimer = ::SetTimer(m_hWnd, kSwitchTimer, SwitchTimerPeriod(settings.switchInterval), nullptr);
  }
}

void CDriftlet::StartMotionTimer() {
  // A period of 0 (Fast) gets the platform's shortest timer period.
  if (m_hWnd && !items.empty() && !paused_) motionTimer = ::SetTimer(m_hWnd, kMotionTimer, settings.frameInterval, nullptr);
}

void CDriftlet::UpdateTimers() {
  if (items.empty() || paused_) {
    StopTimers();
    return;
  }
  if (!m_hWnd) return;
  if (!frameTimer) frameTimer = ::SetTimer(m_hWnd, kFrameTimer, kFramePeriod, nullptr);
  if (!switchTimer) StartSwitchTimer();
  if (!motionTimer) StartMotionTimer();
}

void CDriftlet::StopTimers() {
  for (UINT_PTR* timer : {&switchTimer, &frameTimer, &motionTimer}) {
    if (*timer) ::KillTimer(m_hWnd, std::exchange(*timer, 0));
  }
}

void CDriftlet::RestoreStacking() {
  if (!m_hWnd) return;
  if (settings.zOrder == kTopMost) {
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ApplyZOrder();
}

void CDriftlet::ApplyZOrder() {
  if (!m_hWnd) return;
  // Restacking never takes the activation from the window the user works in.
  constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  switch (settings.zOrder) {
    case kTopMost:
      ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, keep);
      break;
    case kNormalOrder:
      ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
      ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, keep);
      break;
    case kBottomMost:
      ::SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, keep);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Motion and frames (the photos are in DriftletPhotos.cpp)

void CDriftlet::StepMotion(bool compose) {
  if (!m_hWnd) return;
  // The desktop's rectangle is asked for once (each answer is a round trip
  // to the window system) and again when the display changes.
  if (!desktopKnown_) {
    ::GetWindowRect(::GetDesktopWindow(), &desktop_);
    desktopKnown_ = true;
  }
  const bool displayChanged = std::exchange(desktopChanged_, false);
  const RECT desktop = desktop_;
  if (::IsRectEmpty(&desktop)) {
    motion.centreX = motion.centreY = -1;
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);
    return;
  }
  if (items.empty()) {
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);
    return;
  }
  if (currentIndex >= static_cast<int>(items.size())) currentIndex = 0;
  const CDriftletImg& item = *items[static_cast<std::size_t>(currentIndex)];
  int width = item.width, height = item.height;
  Rect box{0, 0, width, height};
  if (!::IsRectEmpty(&frameBox) && frameImage) {
    width = frameImage->Width();
    height = frameImage->Height();
    box = FromRect(frameBox);
  }
  if (displayChanged) {
    // A photo the smaller screen left outside comes back inside at once,
    // its visible box on the nearest edge.
    const double dx = box.left + box.Width() / 2.0 - width / 2.0;
    const double dy = box.top + box.Height() / 2.0 - height / 2.0;
    double x = motion.centreX + dx, y = motion.centreY + dy;
    if (!(motion.centreX == -1 && motion.centreY == -1)) {
      KeepInside(x, y, box.Width(), box.Height(), FromRect(desktop));
      motion.centreX = x - dx;
      motion.centreY = y - dy;
    }
  }
  k3::StepMotion(motion, FromRect(desktop), width, height, box, random_);
  if (compose) ComposeFrame();
}

void CDriftlet::ShapeAndPlace(int left, int top) {
  // The frame is drawn right after, over the whole window: neither the new
  // shape nor the move needs a repaint of its own. A frame whose visible
  // pixels are those of the window's region keeps the region.
  newRuns_.clear();
  CollectOpaqueRuns(frameImage->View(), newRuns_);
  if (!onlyChanges || !shaped_ || newRuns_ != shapeRuns_) {
    RECT box{};
    fw::GdiRegion region = RegionFromRuns(newRuns_, frameImage->Width(), frameImage->Height(), &box);
    // The window owns the region from here on.
    if (region && ::SetWindowRgn(m_hWnd, region.get(), FALSE)) {
      region.release();
      shaped_ = true;
      shapeRuns_.swap(newRuns_);
      shapeBox_ = box;
    } else {
      shaped_ = false;
      shapeRuns_.clear();
    }
    frameBox = box;
  } else {
    frameBox = shapeBox_;
  }
  Place(left, top, frameImage->Width(), frameImage->Height());
}

void CDriftlet::ClearShape() {
  if (!onlyChanges || shaped_) ::SetWindowRgn(m_hWnd, nullptr, FALSE);
  shaped_ = false;
  shapeRuns_.clear();
}

bool CDriftlet::Place(int left, int top, int width, int height) {
  RECT now{};
  ::GetWindowRect(m_hWnd, &now);
  const bool sized = now.right - now.left != width || now.bottom - now.top != height;
  if (onlyChanges && !sized && now.left == left && now.top == top) return false;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
  // A move keeps the window's pixels; only a new size needs new ones.
  if (onlyChanges && !sized) flags |= SWP_NOSIZE;
  ::SetWindowPos(m_hWnd, nullptr, left, top, width, height, flags);
  if (sized) drawn_ = nullptr;
  return sized;
}

void CDriftlet::ForgetWindowState() {
  shaped_ = false;
  shapeRuns_.clear();
  drawn_ = nullptr;
}

HDC CDriftlet::FrameDc() {
  if (!dc_ && m_hWnd) dc_ = std::make_unique<fw::WindowDc>(m_hWnd);
  return dc_ ? dc_->get() : nullptr;
}

void CDriftlet::ComposeFrame() {
  if (items.empty() || !m_hWnd) {
    frameImage.reset();
    ::SetRectEmpty(&frameBox);
    return;
  }
  if (currentIndex >= static_cast<int>(items.size())) currentIndex = 0;
  const CDriftletImg& item = *items[static_cast<std::size_t>(currentIndex)];
  const int w = item.width, h = item.height;
  // The first frame may come before the first motion step: the photo then
  // starts in the middle of the screen, not in its corner.
  if (motion.centreX == -1 && motion.centreY == -1) StepMotion(false);
  composing = true;
  const EffectFrame f = AdvanceEffect(effect_, settings, w, h, random_);
  // The effects move their centre by half a pixel a frame: every other
  // frame is the picture of the one before, which the window shows already
  // with its region; it only moves.
  const bool same = onlyChanges && frameImage && frameSource_ == item.image.get() &&
                    frameType_ == settings.displayType && SameEffectPicture(settings.displayType, f, frameEffect_);
  if (same) {
    Place(RoundToInt(motion.centreX - frameImage->Width() / 2 - f.shiftX),
          RoundToInt(motion.centreY - frameImage->Height() / 2 - f.shiftY), frameImage->Width(), frameImage->Height());
    composing = false;
    DrawFrame();
    return;
  }
  frameImage.reset();
  ::SetRectEmpty(&frameBox);
  const POINT p{f.pointX, f.pointY};
  switch (settings.displayType) {
    case kSphere:
      frameImage = MakeSphereFrame(*item.image, p, f.radius, &framePool);
      break;
    case kRipple:
      frameImage = MakeRippleFrame(*item.image, p, f.divisor, f.amplitude, &framePool, &item.opaque);
      break;
    case kWave:
      frameImage = MakeWaveFrame(*item.image, p, f.angle, f.divisor, f.amplitude, &framePool, &item.opaque);
      break;
    case kRotate:
      frameImage = MakeRotateFrame(*item.image, f.angle, &framePool);
      break;
    default:
      // The plain photo: a rectangular window of the photo's size.
      ClearShape();
      Place(RoundToInt(motion.centreX - w / 2), RoundToInt(motion.centreY - h / 2), w, h);
      break;
  }
  frameSource_ = item.image.get();
  frameType_ = settings.displayType;
  frameEffect_ = f;
  frameFresh_ = frameImage != nullptr;
  // An effect that gives no frame skips it: the window keeps its shape and
  // place until the next one.
  if (frameImage) {
    ShapeAndPlace(RoundToInt(motion.centreX - frameImage->Width() / 2 - f.shiftX),
                  RoundToInt(motion.centreY - frameImage->Height() / 2 - f.shiftY));
  }
  composing = false;
  DrawFrame();
}

void CDriftlet::DrawFrame(HDC dc) {
  if (items.empty() || !m_hWnd) return;
  // Asked by the system (a paint), the window is drawn whatever it shows;
  // for a frame, only what differs from what the window shows already.
  const bool asked = dc != nullptr;
  if (!dc) dc = FrameDc();
  if (!dc) return;
  if (currentIndex >= static_cast<int>(items.size())) currentIndex = 0;
  if (settings.displayType >= kSphere && settings.displayType <= kRotate) {
    if (!frameImage) return;
    if (onlyChanges && !asked && !frameFresh_ && frameImage.get() == drawn_) return;
    frameImage->Draw(dc, 0, 0);
    drawn_ = frameImage.get();
    frameFresh_ = false;
  } else {
    CImg* photo = items[static_cast<std::size_t>(currentIndex)]->image.get();
    if (onlyChanges && !asked && photo == drawn_) return;
    photo->Draw(dc, 0, 0);
    drawn_ = photo;
  }
}

// ---------------------------------------------------------------------------
// Mouse

void CDriftlet::DragWindow() {
  RECT start{};
  ::GetWindowRect(m_hWnd, &start);
  // Positions come with the mouse messages themselves: the cursor position
  // the system reports may lag behind the messages already queued.
  const POINT from = fw::MessagePosition();
  captureLost_ = false;
  HCURSOR grab = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_GRAB));
  // The timers wait while the photo is held, so it neither steps nor
  // changes frame. The grab ends when the button comes up or another
  // window takes the mouse capture.
  const fw::MouseLoopResult held = fw::RunMouseLoop(
      m_hWnd,
      [&](POINT to) {
        ::SetCursor(grab);
        ::MoveWindow(m_hWnd, start.left + to.x - from.x, start.top + to.y - from.y, start.right - start.left,
                     start.bottom - start.top, TRUE);
      },
      [this] { return PrimaryButtonHeld(); }, &captureLost_);
  if (!held.moved) return;  // a click without movement changes nothing
  const POINT to = held.last;
  motion.centreX += to.x - from.x;
  motion.centreY += to.y - from.y;
  motion.direction = ThrowDirection(from.x, from.y, to.x, to.y, motion.direction);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CDriftlet::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CWnd::WindowProc(msg, wp, lp) == -1) return -1;
  watch_.Start(m_hWnd);
  preparer_.Announce();
  visibility_.fullScreen = watch_.FullScreenNow();
  ApplyVisibility();
  UpdateTimers();
  ApplyZOrder();
  return 0;
}

void CDriftlet::ApplyVisibility() {
  if (!m_hWnd) return;
  const bool hide = visibility_.Hidden();
  // Behind a full-screen program alone, on a system that has sent no
  // foreground event, nothing would tell the window that the program
  // went: then one timer looks once a second (a locked session and a
  // display turned off are always told of, and need none).
  const bool look = hide && visibility_.fullScreen && !visibility_.locked && !visibility_.displayOff &&
                    !watch_.EventsArrive() && !items.empty();
  if (look && !lookTimer_) lookTimer_ = ::SetTimer(m_hWnd, kLookTimer, kLookPeriod, nullptr);
  if (!look && lookTimer_) ::KillTimer(m_hWnd, std::exchange(lookTimer_, 0));
  if (hide == paused_) return;
  paused_ = hide;
  if (hide) {
    StopTimers();
    ::ShowWindow(m_hWnd, SW_HIDE);
    return;
  }
  // Back where it was, in its place in the stack, without taking the
  // activation; the frames go on from where they stopped.
  ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
  RestoreStacking();
  framesSinceLook_ = 0;
  UpdateTimers();
  drawn_ = nullptr;
  DrawFrame();
}

bool CDriftlet::OnSessionChange(WPARAM change) {
  if (change == WTS_SESSION_LOCK) {
    visibility_.locked = true;
  } else if (change == WTS_SESSION_UNLOCK) {
    visibility_.locked = false;
  } else {
    return false;
  }
  ApplyVisibility();
  return true;
}

bool CDriftlet::OnPowerBroadcast(WPARAM event, LPARAM data) {
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
  if (event != PBT_POWERSETTINGCHANGE || !setting || setting->PowerSetting != GUID_CONSOLE_DISPLAY_STATE ||
      setting->DataLength < sizeof(DWORD)) {
    return false;
  }
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  visibility_.displayOff = DisplayIsOff(state);
  ApplyVisibility();
  return true;
}

void CDriftlet::LookAround() {
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  if (desktopKnown_ && !::EqualRect(&desktop, &desktop_)) {
    desktop_ = desktop;
    desktopChanged_ = true;
  }
  visibility_.fullScreen = watch_.FullScreenNow();
  ApplyVisibility();
}

void CDriftlet::OnTimer(UINT_PTR id) {
  if (id == kLookTimer) {
    LookAround();
    return;
  }
  if (items.empty()) return;
  if (id == switchTimer) {
    if (items.size() >= 2) {
      currentIndex = (currentIndex + 1) % static_cast<int>(items.size());
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
  } else if (id == motionTimer) {
    StepMotion(false);
  } else if (id == frameTimer) {
    // Once a second the foreground and the screen's size are looked at as
    // well: not every system tells every window of their changes.
    if (++framesSinceLook_ >= kFramesPerLook) {
      framesSinceLook_ = 0;
      LookAround();
      if (paused_) return;
    }
    ComposeFrame();
  }
}

void CDriftlet::EndSession() {
  StopTimers();
  preparer_.Cancel();
  tempFolder.reset();
}

void CDriftlet::ReleaseContent() {
  frameImage.reset();
  ClearItems();
  framePool.Clear();
  // The photos extracted from a package go with the window, once no worker
  // reads one any more.
  preparer_.Cancel();
  tempFolder.reset();
}

void CDriftlet::OnDestroy() {
  watch_.Stop();
  StopTimers();
  if (lookTimer_) ::KillTimer(m_hWnd, std::exchange(lookTimer_, 0));
  ReleaseContent();
  dc_.reset();
  ForgetWindowState();
}

void CDriftlet::OnClose() {
  // In viewer mode this is the only visible window: closing it ends the run
  // through the hidden main frame. In normal mode it stays.
  if (closeTarget_) ::PostMessageW(closeTarget_, WM_CLOSE, 0, 0);
}

LRESULT CDriftlet::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_PAINT: {
      // While a frame is composed it is drawn right after; the request is
      // answered (validated) all the same, or it would come back for ever.
      fw::PaintDc dc(m_hWnd);
      if (!composing) DrawFrame(dc.get());
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != m_hWnd) captureLost_ = true;
      break;
    case WM_ERASEBKGND:
      return 1;  // the frame covers the whole window
    case WM_DISPLAYCHANGE:
      desktopKnown_ = false;
      desktopChanged_ = true;
      break;
    case WM_WTSSESSION_CHANGE:
      if (OnSessionChange(wp)) return 0;
      break;
    case WM_POWERBROADCAST:
      if (OnPowerBroadcast(wp, lp)) return TRUE;
      break;
    case WM_DRIFT_FOREGROUND:
      visibility_.fullScreen = watch_.TakeForegroundChange();
      ApplyVisibility();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_MOUSEACTIVATE:
      // Bottom-most: clicking the photo does not bring it forward.
      if (settings.zOrder == kBottomMost) return MA_NOACTIVATE;
      break;
    case WM_LBUTTONDOWN:
      DragWindow();
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
