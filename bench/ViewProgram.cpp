// The main view's benchmarks on the real program: drops through X drag and
// drop, and the start with a long IMG.DAT; and what they share with those
// run in the benchmark's own process.
#include "ViewProgram.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "E2eHarness.h"
#include "WinTiming.h"
#include "ui/ControlIds.h"

namespace k3::viewbench {

using k3::bench::NowMs;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A folder of `count` names for one photo file.
std::vector<std::wstring> Photos(const std::wstring& folder, const std::wstring& original, int count) {
  ::CreateDirectoryW(folder.c_str(), nullptr);
  std::vector<std::wstring> paths;
  for (int i = 0; i < count; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"IMG_%04d.JPG", i);
    const std::wstring path = folder + L"\\" + name;
    if (!::CreateHardLinkW(path.c_str(), original.c_str(), nullptr)) ::CopyFileW(original.c_str(), path.c_str(), FALSE);
    paths.push_back(path);
  }
  return paths;
}

void RemoveFolder(const std::wstring& folder, const std::vector<std::wstring>& files) {
  for (const auto& f : files) ::DeleteFileW(f.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

namespace {

HWND List(HWND frame) { return ::GetDlgItem(::GetDlgItem(frame, k3::ids::kView), k3::ids::kImageList); }

int Rows(HWND frame) { return static_cast<int>(::SendMessageW(List(frame), LB_GETCOUNT, 0, 0)); }

// Whether the list's first thumbnail is on the screen: the middle of the
// first row's thumbnail box is neither the row's colour nor the box that
// stands in for a thumbnail not made yet.
bool FirstThumbnailShows(HWND frame) {
  RECT r{};
  ::GetWindowRect(List(frame), &r);
  const COLORREF c = e2e::ScreenPixel(r.left + 50, r.top + 50);
  return c != RGB(255, 234, 238) && c != RGB(229, 234, 238) && c != RGB(214, 219, 224);
}

}  // namespace

void DropBenchmark(const wchar_t* label, const std::wstring& programFolder, const std::wstring& photoFolder, int count) {
  ::DeleteFileW((programFolder + L"IMG.DAT").c_str());
  e2e::Program program(programFolder + L"k3driftlet.bin", L"", true);
  HWND frame = program.WaitMainFrame();
  if (!frame) {
    std::printf("%ls: the program did not start\n", label);
    return;
  }
  ::Sleep(500);
  RECT list{};
  ::GetWindowRect(List(frame), &list);
  const double start = NowMs();
  // The tool returns once the program has taken the drop, after the import.
  double first = -1, all = -1;
  const std::wstring folder = photoFolder;
  // The drop tool waits for the program's answer, so it runs while this
  // thread watches the screen.
  struct Drop {
    int x, y;
    std::wstring path;
    static DWORD WINAPI Run(void* p) {
      auto* d = static_cast<Drop*>(p);
      e2e::DropFiles(d->x, d->y, {d->path});
      return 0;
    }
  } drop{(list.left + list.right) / 2, list.bottom - 60, folder};
  HANDLE thread = ::CreateThread(nullptr, 0, &Drop::Run, &drop, 0, nullptr);
  // Meanwhile the window is asked every 50 ms for an answer (a message
  // round trip, as a click needs): the longest wait is kept.
  double slowest = 0;
  e2e::WaitUntil(
      [&] {
        const double asked = NowMs();
        DWORD_PTR r = 0;
        ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
        slowest = std::max(slowest, NowMs() - asked);
        if (first < 0 && Rows(frame) > 0 && FirstThumbnailShows(frame)) first = NowMs() - start;
        if (all < 0 && Rows(frame) >= count) all = NowMs() - start;
        return all >= 0 && first >= 0 && NowMs() - start > 3000;
      },
      600000);
  ::WaitForSingleObject(thread, 60000);
  ::CloseHandle(thread);
  std::printf("%ls: all %d in the list after %.0f ms, the first thumbnail on the screen after %.0f ms; "
              "the window answered within %.0f ms throughout; the program's peak memory %.0f MB\n",
              label, count, all, first, slowest, e2e::DriftletPeakMegabytes());
  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  if (auto box = e2e::WaitMessageBox(program.Pid())) e2e::PressButton(box->hwnd, IDYES);
  program.WaitExit(60000);
}

void ListLoadBenchmark(const std::wstring& programFolder) {
  // The IMG.DAT the last drop left behind holds the 500 photos.
  const double start = NowMs();
  e2e::Program program(programFolder + L"k3driftlet.bin", L"", false);
  HWND frame = program.WaitMainFrame(60000);
  double splashDone = -1, answering = -1;
  e2e::WaitUntil(
      [&] {
        if (!frame) return false;
        if (splashDone < 0 && !e2e::LayeredOpacity(frame)) splashDone = NowMs() - start;
        DWORD_PTR r = 0;
        if (Rows(frame) >= 500 &&
            ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &r)) {
          answering = NowMs() - start;
          return true;
        }
        return false;
      },
      600000);
  std::printf("IMG.DAT of 500 camera photos: splash over after %.0f ms, the main window answers with all 500 after %.0f ms"
              " (%.0f ms after the splash)\n",
              splashDone, answering, answering - splashDone);
  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  if (auto box = e2e::WaitMessageBox(program.Pid())) e2e::PressButton(box->hwnd, IDYES);
  program.WaitExit(60000);
}

}  // namespace k3::viewbench
