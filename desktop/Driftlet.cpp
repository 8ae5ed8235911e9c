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

bool CDriftlet::PrimaryButtonHeld() const { return fw::PrimaryButtonHeld(); }

// Prepared photos are taken on the interface thread once the window exists;
// those prepared before it are taken when it is made.
CDriftlet::CDriftlet(RandomSource random)
    : random_(random ? std::move(random) : RandomSource([] { return std::rand(); })), preparer_([this] {
        if (m_hWnd) TakePrepared();
      }) {
  motion_.direction = InitialDirection(random_);
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
  if (!activity_.shown) ::ShowWindow(m_hWnd, SW_HIDE);
  return TRUE;
}

void CDriftlet::ShowPackage(OpenedPackage&& package) { LoadPhotos(show_.Adopt(std::move(package))); }

BOOL CDriftlet::PreCreateWindow(CREATESTRUCTW& cs) {
  // The photo never takes the activation; in viewer mode, where it is the
  // program's only window, it keeps its task bar button all the same.
  cs.dwExStyle |= WS_EX_NOACTIVATE | (toolWindow_ ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW);
  HCURSOR grab = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_GRAB));
  // A device context of its own: the frames are drawn into it twenty times
  // a second.
  className_ = fw::RegisterWndClass(CS_OWNDC, grab, static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)), nullptr);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

// ---------------------------------------------------------------------------
// Settings

void CDriftlet::SetDisplayType(int type) {
  if (show_.Settings().SetDisplayType(type)) ReshapePhotos();
}

void CDriftlet::SetPhotoSize(int index) {
  if (show_.Settings().SetPhotoSize(index)) ReshapePhotos();
}

void CDriftlet::ReshapePhotos() {
  RebuildItems();
  StepMotion(true);
  // A new shape may have moved the window in the window system's stack.
  RestoreStacking();
}

void CDriftlet::SetSpeed(int index) {
  if (motionTimer_) ::KillTimer(m_hWnd, std::exchange(motionTimer_, 0));
  show_.Settings().SetSpeed(index);
  StartMotionTimer();
}

void CDriftlet::SetZOrder(ZOrder value) {
  if (show_.Settings().SetZOrder(value)) ApplyZOrder();
}

void CDriftlet::SetSwitchInterval(int index) {
  if (switchTimer_) ::KillTimer(m_hWnd, std::exchange(switchTimer_, 0));
  show_.Settings().SetSwitchInterval(index);
  StartSwitchTimer();
}

void CDriftlet::SetEffectStrength(int value) { show_.Settings().SetEffectStrength(value); }

void CDriftlet::SetWaveCount(int value) { show_.Settings().SetWaveCount(value); }

// Without photos the timers would change nothing, and they would still wake
// the program up sixty times a second: they run only while there are photos.
void CDriftlet::StartSwitchTimer() {
  // The record keeps only the low 16 bits of the long intervals; the timer
  // runs for their full duration.
  if (m_hWnd && !photos_.Empty() && activity_.switching) {
    switchTimer_ = ::SetTimer(m_hWnd, kSwitchTimer, SwitchTimerPeriod(Settings().switchInterval), nullptr);
  }
}

void CDriftlet::StartMotionTimer() {
  // A period of 0 (Fast) gets the platform's shortest timer period.
  if (m_hWnd && !photos_.Empty() && activity_.moving)
    motionTimer_ = ::SetTimer(m_hWnd, kMotionTimer, Settings().frameInterval, nullptr);
}

void CDriftlet::UpdateTimers() {
  if (photos_.Empty() || !activity_.switching) {
    StopTimers();
    return;
  }
  if (!m_hWnd) return;
  if (!switchTimer_) StartSwitchTimer();
  if (!activity_.moving) {
    // Standing still: a frame is composed only when something changes.
    for (UINT_PTR* timer : {&frameTimer_, &motionTimer_}) {
      if (*timer) ::KillTimer(m_hWnd, std::exchange(*timer, 0));
    }
    return;
  }
  if (!frameTimer_) frameTimer_ = ::SetTimer(m_hWnd, kFrameTimer, kFramePeriod, nullptr);
  if (!motionTimer_) StartMotionTimer();
}

void CDriftlet::StopTimers() {
  for (UINT_PTR* timer : {&switchTimer_, &frameTimer_, &motionTimer_}) {
    if (*timer) ::KillTimer(m_hWnd, std::exchange(*timer, 0));
  }
}

void CDriftlet::RestoreStacking() {
  if (!m_hWnd) return;
  if (Settings().zOrder == kTopMost) {
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ApplyZOrder();
}

void CDriftlet::ApplyZOrder() {
  if (!m_hWnd) return;
  // Restacking never takes the activation from the window the user works in.
  constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  switch (Settings().zOrder) {
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

const std::vector<Rect>& CDriftlet::Screens() {
  // Asked for once (each answer is a round trip to the window system) and
  // again when the display changes.
  if (!screensKnown_) {
    screens_ = GatherScreens();
    screensKnown_ = true;
  }
  return screens_;
}

void CDriftlet::StepMotion(bool compose) {
  if (!m_hWnd) return;
  Screens();
  const bool displayChanged = std::exchange(screensChanged_, false);
  if (screens_.empty() || screens_.front().Empty()) {
    motion_.centreX = motion_.centreY = -1;
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);
    return;
  }
  if (photos_.Empty()) {
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);
    return;
  }
  const CDriftletImg& item = photos_.Current();
  int width = item.width, height = item.height;
  Rect box{0, 0, width, height};
  if (!composer_.VisibleBox().Empty() && composer_.Frame()) {
    width = composer_.Frame()->Width();
    height = composer_.Frame()->Height();
    box = composer_.VisibleBox();
  }
  if (displayChanged && screens_.size() == 1) {
    // A photo the smaller screen left outside comes back inside at once,
    // its visible box on the nearest edge (over several screens, the step
    // brings it onto the nearest).
    const double dx = box.left + box.Width() / 2.0 - width / 2.0;
    const double dy = box.top + box.Height() / 2.0 - height / 2.0;
    double x = motion_.centreX + dx, y = motion_.centreY + dy;
    if (!(motion_.centreX == -1 && motion_.centreY == -1)) {
      KeepInside(x, y, box.Width(), box.Height(), screens_.front());
      motion_.centreX = x - dx;
      motion_.centreY = y - dy;
    }
  }
  // A photo standing still keeps its place; a new layout of the screens
  // still brings it back onto them.
  if (activity_.moving || displayChanged || (motion_.centreX == -1 && motion_.centreY == -1))
    // A logical pixel a step: the photo crosses a screen in the same time
    // at every DPI. The monitor of a full-screen program is left out.
    StepMotionOver(motion_, FreeAreas(screens_, blocked_), width, height, box, random_, StepLength(dpi_));
  if (compose) ComposeFrame();
}

namespace {

struct MonitorArea {
  Rect work;
  bool primary = false;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
        MonitorArea{FromRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

}  // namespace

std::vector<Rect> CDriftlet::GatherScreens() const {
  if (screenSource_) return screenSource_();
  std::vector<MonitorArea> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.size() <= 1) {
    // One screen: the photo roams the whole of it, as it always did.
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    return {FromRect(desktop)};
  }
  std::stable_partition(monitors.begin(), monitors.end(), [](const MonitorArea& m) { return m.primary; });
  std::vector<Rect> areas;
  for (const MonitorArea& m : monitors) areas.push_back(m.work);
  return areas;
}

void CDriftlet::Reshape(const ComposedFrame& frame) {
  // The frame is drawn right after, over the whole window: neither the new
  // shape nor the move needs a repaint of its own.
  if (frame.unshape) ::SetWindowRgn(m_hWnd, nullptr, FALSE);
  if (!frame.reshape) return;
  RECT box{};
  fw::GdiRegion region = RegionFromRuns(composer_.NewRuns(), frame.place.Width(), frame.place.Height(), &box);
  // The window owns the region from here on.
  if (region && ::SetWindowRgn(m_hWnd, region.get(), FALSE)) {
    region.release();
    composer_.ShapeTaken(FromRect(box));
  } else {
    composer_.ShapeRefused(FromRect(box));
  }
}

void CDriftlet::Place(const Rect& place) {
  RECT now{};
  ::GetWindowRect(m_hWnd, &now);
  const PlaceChange change = ComparePlace(FromRect(now), place);
  if (onlyChanges_ && change == PlaceChange::None) return;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
  // A move keeps the window's pixels; only a new size needs new ones.
  if (onlyChanges_ && change != PlaceChange::Resize) flags |= SWP_NOSIZE;
  ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.Width(), place.Height(), flags);
  if (change == PlaceChange::Resize) drawn_ = nullptr;
}

void CDriftlet::ForgetWindowState() {
  composer_.ForgetShape();
  drawn_ = nullptr;
}

HDC CDriftlet::FrameDc() {
  if (!dc_ && m_hWnd) dc_ = std::make_unique<fw::WindowDc>(m_hWnd);
  return dc_ ? dc_->get() : nullptr;
}

void CDriftlet::ComposeFrame() {
  if (photos_.Empty() || !m_hWnd) {
    composer_.Drop();
    return;
  }
  // The first frame may come before the first motion step: the photo then
  // starts in the middle of the screen, not in its corner.
  if (motion_.centreX == -1 && motion_.centreY == -1) StepMotion(false);
  // Without animation an effect shows its first frame.
  if (!activity_.moving) composer_.RestartAnimation();
  composing_ = true;
  const ComposedFrame frame = composer_.Compose(photos_.Current(), Settings(), motion_, random_, onlyChanges_);
  if (frame.kind != ComposedFrame::Kind::kSkipped) {
    Reshape(frame);
    Place(frame.place);
  }
  composing_ = false;
  DrawFrame();
}

void CDriftlet::DrawFrame(HDC dc) {
  if (photos_.Empty() || !m_hWnd) return;
  // Asked by the system (a paint), the window is drawn whatever it shows;
  // for a frame, only what differs from what the window shows already.
  const bool asked = dc != nullptr;
  if (!dc) dc = FrameDc();
  if (!dc) return;
  CImg* picture = nullptr;
  if (Settings().displayType >= kSphere && Settings().displayType <= kRotate) {
    picture = composer_.Frame();
    if (!picture) return;
    const bool fresh = composer_.TakeFresh();
    if (onlyChanges_ && !asked && !fresh && picture == drawn_) return;
  } else {
    picture = photos_.Current().image.get();
    if (onlyChanges_ && !asked && picture == drawn_) return;
  }
  picture->Draw(dc, 0, 0);
  drawn_ = picture;
}

void CDriftlet::ShowPhoto(int index) {
  photos_.Show(index);
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

}  // namespace k3
