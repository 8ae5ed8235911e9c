// What the drifting window's work costs the window system alone, run under
// Wine and measured from outside like the viewer (scripts/measure-viewer.sh):
//   win_floor timers        the drifting window without photos, with the
//                           viewer's three timers, which do nothing;
//   win_floor frames PHOTO  the same window shows frames of the default show
//                           (Ripple 128) made beforehand: on its frame timer
//                           it only sets the region when it changes, moves
//                           the window and draws the frame when it changes,
//                           as the viewer does, with none of the image work.
// Both run until they are ended.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"

namespace {

using namespace k3;

struct RecordedFrame {
  RECT place{};
  HRGN region = nullptr;  // owned; kept while the program runs
  std::shared_ptr<CImg> picture;
  bool newShape = false;
  bool newPicture = false;
};

std::vector<RecordedFrame> g_frames;
std::size_t g_next = 0;
HDC g_dc = nullptr;

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

// Rows may run bottom-up (a negative pitch): compared and copied row by row.
std::size_t RowBytes(const CImg& img) { return static_cast<std::size_t>(img.Width()) * (img.BitsPerPixel() / 8); }
const std::uint8_t* Row(const CImg& img, int y) { return img.Pixels() + static_cast<std::ptrdiff_t>(y) * img.Pitch(); }

bool SamePixels(const CImg& a, const CImg& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(Row(a, y), Row(b, y), RowBytes(a)) != 0) return false;
  }
  return true;
}

// Plays the viewer's frames with the real window and motion: two motion
// steps and a frame, 400 times (20 seconds of the show), kept as the window
// system saw them.
bool Record(CDriftlet& d, const std::wstring& photo) {
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  for (UINT_PTR id : {1, 2, 3}) ::KillTimer(d.m_hWnd, id);
  for (int i = 0; i < 400; ++i) {
    DriftletProbe(d).StepMotion(false);
    DriftletProbe(d).StepMotion(true);
    Pump();
    if (!DriftletProbe(d).Frame()) return false;
    RecordedFrame f;
    ::GetWindowRect(d.m_hWnd, &f.place);
    f.region = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(d.m_hWnd, f.region);
    const CImg& frame = *DriftletProbe(d).Frame();
    if (!g_frames.empty() && SamePixels(*g_frames.back().picture, frame)) {
      f.picture = g_frames.back().picture;
    } else {
      auto copy = std::make_shared<CImg>();
      if (!copy->Create(frame.BitsPerPixel(), frame.Width(), frame.Height())) return false;
      for (int y = 0; y < frame.Height(); ++y) {
        std::memcpy(const_cast<std::uint8_t*>(Row(*copy, y)), Row(frame, y), RowBytes(frame));
      }
      f.picture = std::move(copy);
      f.newPicture = true;
    }
    f.newShape = g_frames.empty() || !::EqualRgn(f.region, g_frames.back().region);
    g_frames.push_back(std::move(f));
  }
  return true;
}

void CALLBACK ReplayFrame(HWND window, UINT, UINT_PTR, DWORD) {
  const RecordedFrame& f = g_frames[g_next];
  g_next = (g_next + 1) % g_frames.size();
  if (f.newShape) {
    HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
    ::CombineRgn(copy, f.region, nullptr, RGN_COPY);
    if (!::SetWindowRgn(window, copy, FALSE)) ::DeleteObject(copy);
  }
  RECT now{};
  ::GetWindowRect(window, &now);
  if (now.left != f.place.left || now.top != f.place.top) {
    ::SetWindowPos(window, nullptr, f.place.left, f.place.top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOSIZE);
  }
  if (f.newPicture) f.picture->Draw(g_dc, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc >= 2 ? argv[1] : L"";
  if (!(mode == L"timers" && argc == 2) && !(mode == L"frames" && argc == 3)) {
    std::fprintf(stderr, "usage: win_floor timers | win_floor frames PHOTO.jpg\n");
    return 2;
  }
  CDriftlet d;
  if (!d.CreateDriftWindow(L"Drift floor", false, nullptr)) return 1;
  if (mode == L"frames") {
    if (!Record(d, argv[2])) return 1;
    std::size_t shapes = 0, pictures = 0;
    for (const RecordedFrame& f : g_frames) {
      shapes += f.newShape;
      pictures += f.newPicture;
    }
    std::printf("%zu frames: %zu new shapes, %zu new pictures\n", g_frames.size(), shapes, pictures);
    std::fflush(stdout);
    // Without photos the window's own timers do nothing; the frame timer
    // plays the recorded frames instead.
    DriftletProbe(d).ClearItems();
    g_dc = ::GetDC(d.m_hWnd);
  }
  // The viewer's timers, in the order and with the periods it starts them
  // (the window runs none while it has no photos).
  ::SetTimer(d.m_hWnd, 3, 50, mode == L"frames" ? ReplayFrame : nullptr);
  ::SetTimer(d.m_hWnd, 1, d.Settings().switchInterval, nullptr);
  ::SetTimer(d.m_hWnd, 2, d.Settings().frameInterval, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
