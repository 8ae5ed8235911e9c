// Windows benchmark of the drifting window's frames, run under Wine on a real
// photo: the time of a whole frame (two motion steps and a composed frame) for
// the Photo type at 128 and Ripple at 128 and 512, once giving the window
// system everything each frame and once only what changed; then each step
// of a Ripple frame on its own. Usage: win_drift_bench PHOTO.jpg [DPI]
// (the drift's screen at that DPI, 96 unless given: 144 is 150 per cent).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "WinTiming.h"
#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"
#include "imaging/EffectFrames.h"
#include "imaging/ImageOps.h"

namespace {

using namespace k3;
using namespace k3::bench;

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

double ProcessCpuMs() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return static_cast<double>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

void Report(const char* name, std::vector<double> times, double cpuMs) {
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double t : times) sum += t;
  std::printf("%-46s median %6.3f ms  mean %6.3f ms  CPU %6.3f ms/frame  (%zu frames)\n", name, times[times.size() / 2],
              sum / static_cast<double>(times.size()), cpuMs / static_cast<double>(times.size()), times.size());
}

int g_dpi = 96;

// The drift's screen has the benchmark's DPI, as the system tells it.
void AtBenchDpi(CDriftlet& d) {
  if (g_dpi == 96) return;
  RECT suggested{0, 0, 100, 100};
  ::SendMessageW(d.m_hWnd, WM_DPICHANGED, MAKEWPARAM(g_dpi, g_dpi), reinterpret_cast<LPARAM>(&suggested));
}

void Frames(const std::wstring& photo, const char* name, int type, int size, bool onlyChanges) {
  CDriftlet d;
  DriftletProbe(d).SetOnlyChanges(onlyChanges);
  if (!d.CreateDriftWindow(L"Drift bench", true, nullptr)) return;
  AtBenchDpi(d);
  d.SetDisplayType(type);
  d.SetPhotoSize(size);
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  // The benchmark takes the steps itself.
  for (UINT_PTR id : {1, 2, 3}) ::KillTimer(d.m_hWnd, id);
  for (int i = 0; i < 20; ++i) {
    DriftletProbe(d).StepMotion(false);
    DriftletProbe(d).StepMotion(true);
    Pump();
  }
  std::vector<double> times;
  const double cpu = ProcessCpuMs();
  for (int i = 0; i < 400; ++i) {
    const double start = NowMs();
    DriftletProbe(d).StepMotion(false);
    DriftletProbe(d).StepMotion(true);
    Pump();
    times.push_back(NowMs() - start);
  }
  Report(name, times, ProcessCpuMs() - cpu);
  if (onlyChanges) return;
  // How often a frame changes the window's shape, place and size.
  std::vector<PixelRun> last, now;
  RECT lastRect{};
  int shapes = 0, moves = 0, sizes = 0;
  for (int i = 0; i < 400; ++i) {
    DriftletProbe(d).StepMotion(false);
    DriftletProbe(d).StepMotion(true);
    Pump();
    now.clear();
    if (DriftletProbe(d).Frame()) CollectOpaqueRuns(DriftletProbe(d).Frame()->View(), now);
    RECT rect{};
    ::GetWindowRect(d.m_hWnd, &rect);
    shapes += i > 0 && now != last;
    moves += i > 0 && (rect.left != lastRect.left || rect.top != lastRect.top);
    sizes += i > 0 && (rect.right - rect.left != lastRect.right - lastRect.left ||
                       rect.bottom - rect.top != lastRect.bottom - lastRect.top);
    last.swap(now);
    lastRect = rect;
  }
  std::printf("  of 399 frames: %d new shapes, %d moves, %d new sizes\n", shapes, moves, sizes);
}

void Step(const char* name, const std::function<void()>& work) {
  work();
  std::vector<double> times;
  const double cpu = ProcessCpuMs();
  for (int i = 0; i < 400; ++i) {
    const double start = NowMs();
    work();
    times.push_back(NowMs() - start);
  }
  Report(name, times, ProcessCpuMs() - cpu);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: win_drift_bench PHOTO.jpg [DPI]\n");
    return 2;
  }
  const std::wstring photo = argv[1];
  if (argc == 3) g_dpi = std::max(96, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
  std::printf("whole frames (two motion steps and one composed frame each) at %d DPI\n", g_dpi);
  for (bool onlyChanges : {false, true}) {
    const char* how = onlyChanges ? "only changes" : "everything";
    Frames(photo, (std::string("Photo 128, ") + how).c_str(), kPhoto, 2, onlyChanges);
    Frames(photo, (std::string("Ripple 128, ") + how).c_str(), kRipple, 2, onlyChanges);
    Frames(photo, (std::string("Ripple 512, ") + how).c_str(), kRipple, 4, onlyChanges);
  }

  // The steps of a Ripple 128 frame, each on its own.
  std::printf("steps of a Ripple 128 frame\n");
  CDriftlet d;
  if (!d.CreateDriftWindow(L"Drift bench", true, nullptr)) return 1;
  AtBenchDpi(d);
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  for (UINT_PTR id : {1, 2, 3}) ::KillTimer(d.m_hWnd, id);
  DriftletProbe(d).StepMotion(true);
  Pump();
  if (DriftletProbe(d).Items().empty() || !DriftletProbe(d).Frame()) return 1;
  CImg& canvas = *DriftletProbe(d).Items()[0]->image;
  FramePool pool;
  FramePtr frame = MakeRippleFrame(canvas, POINT{canvas.Width() / 2, canvas.Height() / 2}, 10, 4, &pool);
  std::vector<PixelRun> runs;
  // The centre moves a pixel a frame; without a pool the rings' offsets are
  // computed for each frame, a pool keeps them.
  int shift = 0;
  Step("effect frame (Ripple), offsets computed", [&] {
    shift ^= 1;
    frame.reset();
    frame = MakeRippleFrame(canvas, POINT{canvas.Width() / 2 + shift, canvas.Height() / 2}, 10, 4);
  });
  Step("effect frame (Ripple), offsets kept", [&] {
    shift ^= 1;
    frame.reset();
    frame = MakeRippleFrame(canvas, POINT{canvas.Width() / 2 + shift, canvas.Height() / 2}, 10, 4, &pool);
  });
  const Rect opaque = DriftletProbe(d).Items()[0]->opaque;
  std::printf("  the photo covers %d x %d of the %d x %d canvas\n", opaque.Width(), opaque.Height(), canvas.Width(),
              canvas.Height());
  Step("effect frame (Ripple), kept, key margin skipped", [&] {
    shift ^= 1;
    frame.reset();
    frame = MakeRippleFrame(canvas, POINT{canvas.Width() / 2 + shift, canvas.Height() / 2}, 10, 4, &pool, &opaque);
  });
  Step("opaque runs of the frame", [&] {
    runs.clear();
    CollectOpaqueRuns(frame->View(), runs);
  });
  std::vector<RunBlock> blocks;
  JoinRunRows(runs, blocks);
  std::printf("  the frame's %zu runs are %zu rectangles when rows with the same runs join\n", runs.size(),
              blocks.size());
  Step("rows with the same runs joined", [&] { JoinRunRows(runs, blocks); });
  Step("region from the runs", [&] { RegionFromRuns(runs, frame->Width(), frame->Height(), nullptr); });
  Step("region from the runs and SetWindowRgn", [&] {
    fw::GdiRegion region = RegionFromRuns(runs, frame->Width(), frame->Height(), nullptr);
    if (::SetWindowRgn(d.m_hWnd, region.get(), FALSE)) region.release();
  });
  RECT r{};
  ::GetWindowRect(d.m_hWnd, &r);
  int x = 0;
  Step("SetWindowPos, a move of one pixel", [&] {
    x ^= 1;
    ::SetWindowPos(d.m_hWnd, nullptr, r.left + x, r.top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOSIZE);
  });
  Step("SetWindowPos, move and size", [&] {
    x ^= 1;
    ::SetWindowPos(d.m_hWnd, nullptr, r.left + x, r.top, r.right - r.left + x, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  });
  Step("GetWindowRect", [&] { ::GetWindowRect(d.m_hWnd, &r); });
  Step("GetDC and ReleaseDC", [&] { ::ReleaseDC(d.m_hWnd, ::GetDC(d.m_hWnd)); });
  HDC dc = ::GetDC(d.m_hWnd);
  Step("drawing the frame into the window", [&] {
    frame->Draw(dc, 0, 0);
    ::GdiFlush();
  });
  ::ReleaseDC(d.m_hWnd, dc);
  Step("GetWindowRect of the desktop", [&] { ::GetWindowRect(::GetDesktopWindow(), &r); });
  return 0;
}
