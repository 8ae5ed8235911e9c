// Windows benchmark of the main view with camera-sized photos, run under
// Wine: thumbnails of 12-megapixel JPEGs with and without the preview a
// camera embeds; a folder of 500 such photos dropped on the real program
// (until the first thumbnail shows, until all are in the list); IMG.DAT of
// 500 photos at start (until the main window answers with the whole list);
// and a selection of 20 photos growing by one (until the drifting window
// has the new list).
//
// The photos are one file per kind and hard links to it, so 500 photos
// take the disk space of one.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "WinTiming.h"

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "imaging/Img.h"
#include "imaging/Thumbnails.h"

namespace {

using namespace k3;
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

HWND List(HWND frame) { return ::GetDlgItem(::GetDlgItem(frame, 0xE900), 203); }

int Rows(HWND frame) { return static_cast<int>(::SendMessageW(List(frame), LB_GETCOUNT, 0, 0)); }

// Whether the list's first thumbnail is on the screen (not the row colour).
bool FirstThumbnailShows(HWND frame) {
  RECT r{};
  ::GetWindowRect(List(frame), &r);
  const COLORREF c = e2e::ScreenPixel(r.left + 50, r.top + 50);
  return GetRValue(c) < 150;  // the photos are dark blue and green; rows are light
}

void DropBenchmark(const wchar_t* label, const std::wstring& programFolder, const std::wstring& photoFolder) {
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
  e2e::WaitUntil(
      [&] {
        if (first < 0 && Rows(frame) > 0 && FirstThumbnailShows(frame)) first = NowMs() - start;
        if (Rows(frame) >= 500) {
          all = NowMs() - start;
          return true;
        }
        return false;
      },
      600000);
  ::WaitForSingleObject(thread, 60000);
  ::CloseHandle(thread);
  std::printf("%ls: first thumbnail %.0f ms, all 500 in the list %.0f ms\n", label, first, all);
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

}  // namespace

int main() {
  fixtures::TempFolder work;
  std::vector<std::uint8_t> picture, preview;
  {
    fixtures::GdiplusSession encoders;
    // A camera-like picture: smooth shades with some detail, 4000 x 3000.
    picture = fixtures::Encode(
        4000, 3000,
        [](int x, int y) {
          return 0xFF000000u | static_cast<std::uint32_t>((x / 16) & 0x3F) << 16 |
                 static_cast<std::uint32_t>(((x + y) / 24) & 0x7F) << 8 | static_cast<std::uint32_t>(60 + (y / 20) % 120);
        },
        L"image/jpeg");
    preview = fixtures::Encode(160, 120, [](int x, int) { return 0xFF000000u | static_cast<std::uint32_t>(x) << 8 | 90; },
                               L"image/jpeg");
  }
  const std::wstring plainFile = work.path() + L"plain.jpg";
  const std::wstring cameraFile = work.path() + L"camera.jpg";
  e2e::WriteFileBytes(plainFile, picture);
  e2e::WriteFileBytes(cameraFile, fixtures::WithPreview(picture, preview));
  std::printf("12-megapixel JPEG: %zu bytes, with its preview %zu bytes\n", picture.size(),
              picture.size() + preview.size());

  // Thumbnails one by one.
  for (const auto& [label, file] : {std::pair{L"with preview", cameraFile}, std::pair{L"without preview", plainFile}}) {
    std::vector<double> times;
    for (int i = 0; i < (file == cameraFile ? 30 : 5); ++i) {
      CImg thumb;
      Size size{96, 96};
      const double t = NowMs();
      LoadThumbnail(file.c_str(), thumb, size, true);
      times.push_back(NowMs() - t);
    }
    std::printf("thumbnail of a 12-megapixel photo %ls: median %.1f ms\n", label, Median(times));
  }

  // A selection of 20 growing by one.
  {
    const std::vector<std::wstring> many = Photos(work.path() + L"selection", plainFile, 21);
    CDriftlet drift;
    drift.CreateDriftWindow(L"bench", true, nullptr);
    std::vector<std::wstring> twenty(many.begin(), many.begin() + 20);
    double t = NowMs();
    drift.LoadPhotos(twenty);
    const double all20 = NowMs() - t;
    t = NowMs();
    drift.LoadPhotos(many);
    const double oneMore = NowMs() - t;
    CDriftlet single;
    single.CreateDriftWindow(L"bench", true, nullptr);
    t = NowMs();
    single.LoadPhotos({many[20]});
    const double alone = NowMs() - t;
    std::printf("selection of 20 photos: %.0f ms; one photo more: %.0f ms (preparing that photo alone: %.0f ms, "
                "the rest %.0f ms)\n",
                all20, oneMore, alone, oneMore - alone);
    drift.DestroyWindow();
    single.DestroyWindow();
    RemoveFolder(work.path() + L"selection", many);
  }

  // The real program.
  const std::wstring programFolder = work.path() + L"program\\";
  ::CreateDirectoryW(programFolder.c_str(), nullptr);
  ::CopyFileW(e2e::DriftletPath().c_str(), (programFolder + L"k3driftlet.bin").c_str(), FALSE);
  const std::wstring plainFolder = work.path() + L"plain-photos";
  const std::wstring cameraFolder = work.path() + L"camera-photos";
  const std::vector<std::wstring> plainPhotos = Photos(plainFolder, plainFile, 500);
  DropBenchmark(L"drop of 500 photos without preview", programFolder, plainFolder);
  const std::vector<std::wstring> cameraPhotos = Photos(cameraFolder, cameraFile, 500);
  DropBenchmark(L"drop of 500 camera photos with preview", programFolder, cameraFolder);
  ListLoadBenchmark(programFolder);

  RemoveFolder(plainFolder, plainPhotos);
  RemoveFolder(cameraFolder, cameraPhotos);
  ::DeleteFileW((programFolder + L"IMG.DAT").c_str());
  ::DeleteFileW((programFolder + L"k3driftlet.bin").c_str());
  ::RemoveDirectoryW(programFolder.c_str());
  return 0;
}
