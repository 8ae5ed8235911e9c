#include "desktop/DriftVisibility.h"

#include "framework/PathText.h"

namespace k3 {

bool IsSystemOverlayProgram(std::wstring_view fileName) {
  // The shell and its hosts, the Xbox Game Bar and the screen-snipping
  // overlay (its host, and the older sketch tool's).
  for (std::wstring_view overlay : {L"explorer.exe", L"TextInputHost.exe", L"StartMenuExperienceHost.exe",
                                    L"SearchHost.exe", L"ShellExperienceHost.exe", L"GameBar.exe",
                                    L"GameBarFTServer.exe", L"ScreenClippingHost.exe", L"ScreenSketch.exe"}) {
    if (EqualsNoCase(fileName, overlay)) return true;
  }
  return false;
}

bool FullScreenForeground(const ForegroundFacts& f, const Rect& screen, ShellState shell) {
  if (shell == ShellState::Presentation) return true;
  if (!f.present || f.ownProcess || f.desktopOrShell || f.systemOverlay || !f.visible || f.minimized ||
      !f.onDriftScreen) {
    return false;
  }
  if (shell == ShellState::Direct3DFullScreen) return true;
  return Covers(f.client, screen);
}

namespace {

// One axis: the centre of a span of `size` put inside [low, high).
double Inside(double centre, int size, int low, int high) {
  if (high - low <= size) return low + (high - low) / 2.0;
  const double half = size / 2.0;
  if (centre - half < low) return low + half;
  if (centre + half > high) return high - half;
  return centre;
}

}  // namespace

void KeepInside(double& x, double& y, int width, int height, const Rect& desktop) {
  if (desktop.Empty() || (x == -1 && y == -1)) return;
  x = Inside(x, width, desktop.left, desktop.right);
  y = Inside(y, height, desktop.top, desktop.bottom);
}

}  // namespace k3
