// Windows benchmark of the main view with real photos, run under Wine:
// thumbnails and the drifting window's photos of a 20-MP wallpaper photo
// from a Debian package (lomiri-wallpapers-20.04) with and without the
// preview a camera embeds; 100 such photos imported in this process (rows,
// first and last thumbnail, the longest step of the interface thread) and
// dropped on the real program through X drag and drop (rows, the first
// thumbnail on the screen, how long the window takes to answer meanwhile);
// 500 photos dropped (the program's peak memory); IMG.DAT of 500 photos at
// start (until the main window answers with the whole list).
//
// The photos are one file per kind and hard links to it, so 500 photos
// take the disk space of one.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "WinTiming.h"

#include "E2eHarness.h"
#include "GdiObjects.h"
#include "ImageFixtures.h"
#include "ViewProgram.h"
#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"
#include "imaging/ImageOps.h"
#include "imaging/Img.h"
#include "imaging/Thumbnails.h"
#include "res/Messages.h"
#include "ui/ImageListStore.h"
#include "ui/PhotoCollection.h"

using namespace k3;
using namespace k3::viewbench;
using k3::bench::NowMs;

// A window for the photo list, as the view holds it.
class ImportView : public fw::CWnd {};

// The photo list in its window, read from `listFile` when loaded; it is
// not written at the end.
struct BenchList {
  CDriftlet drift;
  ImportView view;
  PhotoCollection photos{drift};
  explicit BenchList(const std::wstring& listFile) {
    view.CreateEx(0, nullptr, L"bench", WS_POPUP | WS_VISIBLE, RECT{0, 0, 500, 600}, nullptr, 0);
    photos.SetListFilePath(listFile);
    photos.Create(view.m_hWnd, 203);
    ::MoveWindow(photos.List()->m_hWnd, 0, 0, 480, 580, TRUE);
  }
  ~BenchList() {
    photos.SetListFilePath(L"");
    photos.Close();
    view.DestroyWindow();
  }
};

// Handles the messages waiting; the longest any one of them held the
// interface thread (the workers' notices among them) goes into `longest`.
void PumpTimed(double& longest) {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    const double t = NowMs();
    ::DispatchMessageW(&msg);
    longest = std::max(longest, NowMs() - t);
  }
}

// IMG.DAT of `paths` loaded in this process: until every row is in (the
// interface thread free again), and until every thumbnail is.
void ListLoadInProcess(const std::wstring& folder, const std::vector<std::wstring>& paths) {
  const std::wstring list = folder + L"\\bench-IMG.DAT";
  SaveImageListFile(list, paths);
  BenchList bench(list);
  PhotoCollection& photos = bench.photos;
  {
    // The headers alone, for comparison.
    const double t = NowMs();
    for (const std::wstring& path : paths) {
      Size size;
      ReadPhotoSize(path.c_str(), size);
    }
    std::printf("reading %zu photos' headers: %.0f ms\n", paths.size(), NowMs() - t);
  }
  const double start = NowMs();
  photos.Load(bench.view.m_hWnd);
  const double rows = NowMs() - start;
  double all = -1;
  double longest = 0;
  while (all < 0 && NowMs() - start < 600000) {
    PumpTimed(longest);
    if (photos.ThumbnailsPending() == 0) all = NowMs() - start;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  std::printf("IMG.DAT of %d photos loaded in this process: the rows in after %.0f ms, every thumbnail after %.0f ms\n",
              photos.Count(), rows, all);
  ::DeleteFileW(list.c_str());
}

void ImportBenchmark(const wchar_t* label, const std::vector<std::wstring>& paths) {
  BenchList list(L"");
  PhotoCollection& photos = list.photos;
  const double start = NowMs();
  photos.Import(paths, list.view.m_hWnd);
  const double rows = NowMs() - start;
  double first = -1, all = -1, longest = 0;
  while (all < 0 && NowMs() - start < 600000) {
    PumpTimed(longest);
    int made = 0;
    for (const auto& e : photos.Entries()) made += e->image != nullptr;
    if (first < 0 && made > 0) first = NowMs() - start;
    if (made == photos.Count()) all = NowMs() - start;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  std::printf(
      "%ls, in this process: %d rows after %.0f ms, the first thumbnail after %.0f ms, all after %.0f ms; "
      "the interface thread's longest step %.1f ms\n",
      label, photos.Count(), rows, first, all, longest);
}

// A list of `count` rows in this process: how long the rows take, the
// interface thread's longest step, the thumbnails kept, the process's memory
// and GDI objects; then a jump to the middle of the list until the rows on
// screen show their thumbnails.
void LongListBenchmark(const std::vector<std::wstring>& paths) {
  BenchList list(L"");
  PhotoCollection& photos = list.photos;
  const auto kept = [&] {
    int n = 0;
    for (const auto& e : photos.Entries()) n += e->image != nullptr;
    return n;
  };
  const auto shownMade = [&] {
    for (int row : photos.List()->RowsOnScreen()) {
      if (!photos.Entries()[static_cast<std::size_t>(row)]->image) return false;
    }
    return true;
  };
  const double start = NowMs();
  photos.Import(paths, list.view.m_hWnd);
  const double rows = NowMs() - start;
  double longest = 0, settled = -1;
  while (settled < 0 && NowMs() - start < 600000) {
    PumpTimed(longest);
    if (kept() >= std::min(photos.Count(), PhotoCollection::kThumbnailBudget)) settled = NowMs() - start;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  std::printf(
      "%d rows in this process after %.0f ms, the kept thumbnails after %.0f ms (%d kept); the interface "
      "thread's longest step %.1f ms; working set %.0f MB (peak %.0f MB); GDI objects of the process %ld\n",
      photos.Count(), rows, settled, kept(), longest, memory.WorkingSetSize / 1048576.0,
      memory.PeakWorkingSetSize / 1048576.0, e2e::GdiObjects(::GetCurrentProcess()));
  const double jump = NowMs();
  photos.List()->SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(photos.Count() / 2));
  double shown = -1;
  while (shown < 0 && NowMs() - jump < 60000) {
    PumpTimed(longest);
    if (shownMade()) shown = NowMs() - jump;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  std::printf("a jump to the middle of the list: its rows' thumbnails after %.0f ms, %d kept\n", shown, kept());
}

int main(int argc, char** argv) {
  fixtures::TempFolder work;
  const bool listOnly = argc > 1 && std::string(argv[1]) == "--list";
  // --start: only the real program's start with an IMG.DAT of 500 photos,
  // three times.
  const bool startOnly = argc > 1 && std::string(argv[1]) == "--start";
  // --long: a list of 20,000 small photos in this process.
  const bool longOnly = argc > 1 && std::string(argv[1]) == "--long";
  const std::wstring realFile = L"Z:\\usr\\share\\backgrounds\\Kleiber_by_Lukas_Baubkus.jpg";
  const std::vector<std::uint8_t> real = e2e::ReadFileBytes(realFile);
  if (real.empty()) {
    std::printf("the wallpaper photos are missing (scripts/install-deps.sh installs lomiri-wallpapers-20.04)\n");
    return 1;
  }
  std::vector<std::uint8_t> picture, preview;
  {
    fixtures::GdiplusSession encoders;
    // A camera-like picture: smooth shades with some detail, 4000 x 3000.
    picture = fixtures::Encode(
        4000, 3000,
        [](int x, int y) {
          return 0xFF000000u | static_cast<std::uint32_t>((x / 16) & 0x3F) << 16 |
                 static_cast<std::uint32_t>(((x + y) / 24) & 0x7F) << 8 |
                 static_cast<std::uint32_t>(60 + (y / 20) % 120);
        },
        L"image/jpeg");
    preview = fixtures::Encode(
        160, 90, [](int x, int) { return 0xFF000000u | static_cast<std::uint32_t>(x) << 8 | 90; }, L"image/jpeg");
  }
  const std::wstring plainFile = work.path() + L"plain.jpg";
  const std::wstring cameraFile = work.path() + L"camera.jpg";
  const std::wstring realPreviewFile = work.path() + L"real-preview.jpg";
  e2e::WriteFileBytes(plainFile, picture);
  e2e::WriteFileBytes(cameraFile, fixtures::WithPreview(picture, preview));
  e2e::WriteFileBytes(realPreviewFile, fixtures::WithPreview(real, preview));
  std::printf("real photo: 6028 x 3391, %zu bytes ; 12-MP drawn photo: %zu bytes\n", real.size(), picture.size());

  if (longOnly) {
    const std::wstring small = work.path() + L"small.jpg";
    {
      fixtures::GdiplusSession encoders;
      e2e::WriteFileBytes(small, fixtures::Encode(
                                     640, 480, [](int x, int y) { return 0xFF204060u + (x ^ y); }, L"image/jpeg"));
    }
    const std::wstring folder = work.path() + L"long-photos";
    const std::vector<std::wstring> many = Photos(folder, small, 20000);
    LongListBenchmark(many);
    RemoveFolder(folder, many);
    return 0;
  }

  if (listOnly) {
    const std::wstring folder = work.path() + L"list-photos";
    const std::vector<std::wstring> five = Photos(folder, plainFile, 500);
    ListLoadInProcess(work.path(), five);
    RemoveFolder(folder, five);
    return 0;
  }

  if (startOnly) {
    const std::wstring programFolder = work.path() + L"program\\";
    ::CreateDirectoryW(programFolder.c_str(), nullptr);
    ::CopyFileW(e2e::DriftletPath().c_str(), (programFolder + L"k3driftlet.bin").c_str(), FALSE);
    const std::wstring plainFolder = work.path() + L"plain-photos";
    const std::vector<std::wstring> plainPhotos = Photos(plainFolder, plainFile, 500);
    DropBenchmark(L"drop of 500 12-MP photos without preview", programFolder, plainFolder, 500);
    for (int i = 0; i < 3; ++i) ListLoadBenchmark(programFolder);
    RemoveFolder(plainFolder, plainPhotos);
    ::DeleteFileW((programFolder + L"IMG.DAT").c_str());
    ::DeleteFileW((programFolder + L"k3driftlet.bin").c_str());
    ::RemoveDirectoryW(programFolder.c_str());
    return 0;
  }

  // Thumbnails one by one, and how they were decoded.
  for (const auto& [label, file] :
       {std::pair{L"real photo with preview", realPreviewFile}, std::pair{L"real photo without preview", realFile},
        std::pair{L"12-MP photo without preview", plainFile}}) {
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
      CImg thumb;
      Size size{96, 96};
      const double t = NowMs();
      LoadThumbnail(file.c_str(), thumb, size, true);
      times.push_back(NowMs() - t);
    }
    const PhotoDecodeInfo how = LastPhotoDecode();
    std::printf(
        "thumbnail of the %ls: median %.1f ms (%s)\n", label, Median(times),
        how.scaledJpeg ? (how.reduction == 8 ? "scaled JPEG decode, 1/8" : "scaled JPEG decode") : "preview or GDI+");
  }

  // The drifting window at size 512: one 12-MP photo, a first selection of
  // 20, the same selection growing by one. The photo is a real one: 4000 x
  // 3000 cut from the wallpaper photo and encoded again.
  {
    const std::wstring twelveFile = work.path() + L"real-12mp.jpg";
    {
      CImg whole;
      Size size;
      LoadPhotoFor(
          realFile.c_str(), [](Size s) { return s; }, whole, size);
      const PixelView v = whole.View();
      fixtures::GdiplusSession encoders;
      const std::vector<std::uint8_t> twelve = fixtures::Encode(
          4000, 3000,
          [&v](int x, int y) {
            const std::uint8_t* p = v.At(x + 1000, y + 200);
            return 0xFF000000u | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
          },
          L"image/jpeg");
      e2e::WriteFileBytes(twelveFile, twelve);
      std::printf("real 12-MP photo (cut from the wallpaper photo): %zu bytes\n", twelve.size());
    }
    const std::vector<std::wstring> many = Photos(work.path() + L"selection", twelveFile, 21);
    CDriftlet single;
    single.CreateDriftWindow(L"bench", true, nullptr);
    single.SetDisplayType(kPhoto);
    single.SetPhotoSize(4);
    std::vector<double> alone;
    for (int i = 0; i < 5; ++i) {
      single.LoadPhotos({});
      const double t = NowMs();
      single.LoadPhotos({many[20]});
      DriftletProbe(single).WaitForPhotos();
      alone.push_back(NowMs() - t);
    }
    // The same for the whole 20-MP wallpaper photo as it comes from its package.
    std::vector<double> aloneWhole;
    for (int i = 0; i < 5; ++i) {
      single.LoadPhotos({});
      const double t = NowMs();
      single.LoadPhotos({realFile});
      DriftletProbe(single).WaitForPhotos();
      aloneWhole.push_back(NowMs() - t);
    }
    std::printf("drifting photo of 512 from the 20-MP wallpaper photo: median %.0f ms\n", Median(aloneWhole));
    CDriftlet drift;
    drift.CreateDriftWindow(L"bench", true, nullptr);
    drift.SetDisplayType(kPhoto);
    drift.SetPhotoSize(4);
    std::vector<std::wstring> twenty(many.begin(), many.begin() + 20);
    double t = NowMs();
    drift.LoadPhotos(twenty);
    const double interface20 = NowMs() - t;
    DriftletProbe(drift).WaitForPhotos();
    const double all20 = NowMs() - t;
    t = NowMs();
    drift.LoadPhotos(many);
    const double interfaceOneMore = NowMs() - t;
    DriftletProbe(drift).WaitForPhotos();
    const double oneMore = NowMs() - t;
    // Its parts: the decode at a quarter (1000 x 750) and the resampling
    // to 512 x 384.
    std::vector<double> decodes, resamples;
    for (int i = 0; i < 5; ++i) {
      CImg photo;
      Size picture;
      double t0 = NowMs();
      LoadPhotoFor(
          many[20].c_str(),
          [](Size) {
            return Size{512, 384};
          },
          photo, picture);
      decodes.push_back(NowMs() - t0);
      t0 = NowMs();
      FitImageToSize(photo, Size{512, 384});
      resamples.push_back(NowMs() - t0);
    }
    std::printf("  of which the decode at 1/%d: median %.0f ms, the resampling: median %.0f ms\n",
                LastPhotoDecode().reduction, Median(decodes), Median(resamples));
    std::printf(
        "drifting photo of 512 from a 12-MP photo: median %.0f ms; a first selection of 20: %.0f ms; "
        "one photo more: %.0f ms (on %d workers)\n",
        Median(alone), all20, oneMore, DriftletProbe(drift).PreparerWorkers());
    std::printf("  the interface thread is held by a selection of 20 for %.1f ms, by one photo more for %.1f ms\n",
                interface20, interfaceOneMore);
    drift.DestroyWindow();
    single.DestroyWindow();
    RemoveFolder(work.path() + L"selection", many);
  }

  const std::wstring realFolder = work.path() + L"real-photos";
  const std::wstring realPreviewFolder = work.path() + L"real-preview-photos";
  const std::vector<std::wstring> realPhotos = Photos(realFolder, realFile, 100);
  const std::vector<std::wstring> realPreviewPhotos = Photos(realPreviewFolder, realPreviewFile, 100);
  ImportBenchmark(L"100 real photos without preview", realPhotos);
  ImportBenchmark(L"100 real photos with preview", realPreviewPhotos);
  {
    const std::wstring folder = work.path() + L"list-photos";
    const std::vector<std::wstring> five = Photos(folder, plainFile, 500);
    ListLoadInProcess(work.path(), five);
    RemoveFolder(folder, five);
  }

  // The real program.
  const std::wstring programFolder = work.path() + L"program\\";
  ::CreateDirectoryW(programFolder.c_str(), nullptr);
  ::CopyFileW(e2e::DriftletPath().c_str(), (programFolder + L"k3driftlet.bin").c_str(), FALSE);
  DropBenchmark(L"drop of 100 real photos without preview", programFolder, realFolder, 100);
  DropBenchmark(L"drop of 100 real photos with preview", programFolder, realPreviewFolder, 100);
  const std::wstring plainFolder = work.path() + L"plain-photos";
  const std::vector<std::wstring> plainPhotos = Photos(plainFolder, plainFile, 500);
  DropBenchmark(L"drop of 500 12-MP photos without preview", programFolder, plainFolder, 500);
  ListLoadBenchmark(programFolder);

  RemoveFolder(plainFolder, plainPhotos);
  RemoveFolder(realFolder, realPhotos);
  RemoveFolder(realPreviewFolder, realPreviewPhotos);
  ::DeleteFileW((programFolder + L"IMG.DAT").c_str());
  ::DeleteFileW((programFolder + L"k3driftlet.bin").c_str());
  ::RemoveDirectoryW(programFolder.c_str());
  return 0;
}
