// The photo list's rows and their thumbnails made on worker threads: rows
// at once, every thumbnail in its own row, rows removed and the end of the
// list while the workers run, a cancelled import, a file that only looks
// like a photo.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "GdiObjects.h"
#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "imaging/Img.h"
#include "imaging/Thumbnails.h"
#include "res/Messages.h"
#include "ui/Palette.h"
#include "desktop/DriftletProbe.h"
#include "ui/PhotoCollection.h"
#include "ui/Thumbnailer.h"

namespace k3 {
namespace {

// Stands in for the view: the window the photo list lives in.
class ViewStandIn : public fw::CWnd {
 public:
  PhotoCollection* photos = nullptr;
};

using e2e::PumpUntil;
void Pump() { e2e::PumpMessages(); }

COLORREF Colour(int i) {
  static const COLORREF colours[] = {RGB(220, 30, 30),  RGB(30, 200, 40),  RGB(30, 60, 220),
                                     RGB(230, 210, 20), RGB(200, 40, 200), RGB(20, 200, 210)};
  return colours[i % 6];
}

bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
         std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

// The colour in the middle of an entry's thumbnail.
COLORREF ThumbnailColour(const CImgThumb& entry) {
  const PixelView v = entry.image->View();
  const std::uint8_t* p = v.At(v.width / 2, v.height / 2);
  return RGB(p[2], p[1], p[0]);
}

class Thumbnails : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(view.CreateEx(0, nullptr, L"view", WS_POPUP | WS_VISIBLE, RECT{0, 0, 500, 420}, nullptr, 0));
    photos = std::make_unique<PhotoCollection>(drift);
    photos->SetListFilePath(folder.path() + L"IMG.DAT");
    ASSERT_TRUE(photos->Create(view.m_hWnd, 203));
    ::MoveWindow(photos->List()->m_hWnd, 0, 0, 480, 400, TRUE);
    view.photos = photos.get();
  }
  void TearDown() override {
    if (photos) photos->Close();
    photos.reset();
    view.DestroyWindow();
  }

  // `count` photos of `w` x `h`, one colour each (photo i has Colour(i + shift)).
  std::vector<std::wstring> Photos(const std::wstring& prefix, int count, int w = 1600, int h = 1200, int shift = 0) {
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
      const COLORREF c = Colour(i + shift);
      const auto bytes = fixtures::Encode(
          w, h,
          [c](int, int) {
            return 0xFF000000u | static_cast<std::uint32_t>(GetRValue(c)) << 16 |
                   static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
          },
          L"image/jpeg");
      paths.push_back(folder.Write(prefix + std::to_wstring(i) + L".jpg", bytes));
    }
    return paths;
  }

  // The rows that hold their thumbnails now.
  int Kept() const {
    int n = 0;
    for (const auto& e : photos->Entries()) n += e->image != nullptr;
    return n;
  }
  bool AllMade() {
    for (const auto& e : photos->Entries()) {
      if (!e->image) return false;
    }
    return photos->ThumbnailsPending() == 0;
  }

  // Every row shows the colour of its own file.
  void ExpectOwnColours(const std::vector<std::wstring>& paths, int shift = 0) {
    for (const auto& e : photos->Entries()) {
      const auto at = std::find(paths.begin(), paths.end(), e->path);
      ASSERT_NE(at, paths.end()) << "a row of another import";
      ASSERT_TRUE(e->image);
      EXPECT_TRUE(Near(ThumbnailColour(*e), Colour(int(at - paths.begin()) + shift))) << "a thumbnail in its own row";
    }
  }

  fixtures::GdiplusSession gdiplus;
  fixtures::TempFolder folder;
  CDriftlet drift;
  ViewStandIn view;
  std::unique_ptr<PhotoCollection> photos;
};

TEST_F(Thumbnails, RowsComeAtOnceAndEveryThumbnailFollowsIntoItsOwnRow) {
  const std::vector<std::wstring> paths = Photos(L"p", 24);
  const std::uint64_t parsedBefore = PhotoHeadsParsed();
  photos->Import(paths, view.m_hWnd);
  // Every row is there before any thumbnail: the picture's size is known
  // from the header, the first row is selected.
  ASSERT_EQ(photos->Count(), 24);
  for (const auto& e : photos->Entries()) {
    EXPECT_FALSE(e->image);
    EXPECT_EQ(e->width, 1600);
    EXPECT_EQ(e->height, 1200);
  }
  EXPECT_EQ(photos->SelectedCount(), 1);
  // A row without its thumbnail draws the quiet box in its place.
  CImgList& list = *photos->List();
  fw::WindowDc screen(nullptr);
  fw::MemoryDc dc(::CreateCompatibleDC(screen.get()));
  fw::GdiBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 480, 100));
  fw::SelectObjectScope selected(dc.get(), bitmap.get());
  const auto drawRow = [&](int row) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(row);
    item.hwndItem = list.m_hWnd;
    item.hDC = dc.get();
    item.rcItem = RECT{0, 0, 480, 100};
    list.DrawItem(item);
    return ::GetPixel(dc.get(), 50, 50);
  };
  EXPECT_EQ(drawRow(3), palette::kThumbPlaceholder);

  ASSERT_TRUE(PumpUntil([&] { return AllMade(); }, 20000)) << photos->ThumbnailsPending() << " still waiting";
  EXPECT_GE(photos->ThumbnailNotices(), 1);
  ExpectOwnColours(paths);
  // Each file's head was parsed once, for its row: the thumbnails and the
  // drift's prepared photo took what the row read.
  ASSERT_TRUE(DriftletProbe(drift).WaitUntilPrepared());
  EXPECT_EQ(drift.PhotoPaths().size(), 1u);
  EXPECT_EQ(PhotoHeadsParsed() - parsedBefore, 24u);
  for (int row : {0, 3, 23}) {
    EXPECT_TRUE(Near(drawRow(row), Colour(row))) << "row " << row << " draws its thumbnail";
  }
}

TEST_F(Thumbnails, EveryChangeOfTheSelectionGoesThroughTheModelToTheDriftTheCountAndTheBox) {
  int told = 0;
  photos->OnChanged([&] { ++told; });
  const std::vector<std::wstring> paths = Photos(L"s", 5);
  // A short import is one batch: one notice at its end (none at a redraw
  // tick for so few rows after the first).
  photos->Import(paths, view.m_hWnd);
  EXPECT_LE(told, 3);
  ASSERT_EQ(drift.PhotoPaths(), std::vector<std::wstring>{paths[0]}) << "the first photo drifts";
  HWND box = photos->List()->m_hWnd;
  const auto boxSelection = [&] { return photos->List()->GetSelItems(); };
  EXPECT_EQ(boxSelection(), std::vector<int>{0}) << "the box's own selection follows the model";

  // Requests to the box from anyone (a program, a screen reader) go to the
  // model: the drift, the count and the box follow.
  told = 0;
  EXPECT_EQ(::SendMessageW(box, LB_SETSEL, TRUE, 3), 0);
  EXPECT_EQ(drift.PhotoPaths(), (std::vector<std::wstring>{paths[0], paths[3]}));
  EXPECT_EQ(photos->SelectedCount(), 2);
  EXPECT_EQ(boxSelection(), (std::vector<int>{0, 3}));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(::SendMessageW(box, LB_SELITEMRANGE, FALSE, MAKELPARAM(0, 1)), 0);
  EXPECT_EQ(::SendMessageW(box, LB_SELITEMRANGEEX, 4, 2), 0) << "backwards: deselects 2 to 4";
  EXPECT_EQ(::SendMessageW(box, LB_SELITEMRANGEEX, 1, 2), 0);
  EXPECT_EQ(drift.PhotoPaths(), (std::vector<std::wstring>{paths[1], paths[2]}));
  EXPECT_EQ(boxSelection(), (std::vector<int>{1, 2}));
  EXPECT_EQ(::SendMessageW(box, LB_SETSEL, TRUE, 9), LB_ERR) << "no such row";
  // A click as the box makes it: the model takes the box's selection.
  RECT row{};
  ::SendMessageW(box, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row));
  ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 150, row.top + 10));
  ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(row.left + 150, row.top + 10));
  EXPECT_EQ(photos->SelectedCount(), 3);
  EXPECT_EQ(drift.PhotoPaths().size(), 3u);
  // Delete removes exactly what the list shows.
  photos->RemoveSelected();
  EXPECT_EQ(photos->Count(), 2);
  EXPECT_TRUE(drift.PhotoPaths().empty());
  EXPECT_EQ(photos->Entries()[0]->path, paths[0]);
  EXPECT_EQ(photos->Entries()[1]->path, paths[3]);
  // Every row at once.
  EXPECT_EQ(::SendMessageW(box, LB_SETSEL, TRUE, -1), 0);
  EXPECT_EQ(photos->SelectedCount(), 2);
  EXPECT_EQ(boxSelection(), (std::vector<int>{0, 1}));
}

TEST_F(Thumbnails, RowsRemovedWhileTheWorkersRunGetNoThumbnailAndNoOtherRowGetsTheirs) {
  const std::vector<std::wstring> first = Photos(L"a", 18);
  photos->Import(first, view.m_hWnd);
  ASSERT_EQ(photos->Count(), 18);
  photos->RemoveAt(0);
  photos->RemoveAt(4);
  photos->RemoveAt(10);
  Pump();
  ASSERT_EQ(photos->Count(), 15);
  // Delete All and a new drop at once, while the first ones are made.
  photos->RemoveAll();
  const std::vector<std::wstring> second = Photos(L"b", 12, 1600, 1200, 3);
  photos->Import(second, view.m_hWnd);
  ASSERT_TRUE(PumpUntil([&] { return AllMade(); }, 20000));
  ASSERT_EQ(photos->Count(), 12);
  ExpectOwnColours(second, 3);
  // Nothing of the first import arrives later.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(photos->Count(), 12);
  ExpectOwnColours(second, 3);
}

TEST_F(Thumbnails, TheListEndsPromptlyWhileThumbnailsAreMade) {
  const int surfaces = CImg::LiveSurfaces();
  // Large photos (names of one file), so that the workers are busy when
  // the list ends.
  const std::wstring original = Photos(L"big", 1, 4000, 3000)[0];
  std::vector<std::wstring> paths{original};
  for (int i = 1; i < 16; ++i) {
    paths.push_back(folder.path() + L"big-link" + std::to_wstring(i) + L".jpg");
    if (!::CreateHardLinkW(paths.back().c_str(), original.c_str(), nullptr)) {
      ASSERT_TRUE(::CopyFileW(original.c_str(), paths.back().c_str(), FALSE));
    }
  }
  photos->Import(paths, view.m_hWnd);
  ASSERT_EQ(photos->Count(), 16);
  const ULONGLONG start = ::GetTickCount64();
  photos->Close();
  const ULONGLONG took = ::GetTickCount64() - start;
  std::printf("the list ended %llu ms after an import of 16 12-MP photos\n", took);
  EXPECT_LT(took, e2e::Scaled(3000));
  EXPECT_EQ(photos->Count(), 0);
  Pump();
  // The drift's prepared photo is all that is left (once its worker is
  // done with the decoded picture it prepared it from).
  DriftletProbe(drift).WaitUntilPrepared();
  EXPECT_LE(CImg::LiveSurfaces(), surfaces + 1);
  photos.reset();
}

TEST_F(Thumbnails, ACancelledImportKeepsItsRowsAndAFileThatOnlyLooksLikeAPhotoLeaves) {
  const std::vector<std::wstring> paths = Photos(L"c", 10);
  // A click waiting when the progress dialog looks cancels it: the row
  // added before stays, with its thumbnail.
  ::PostMessageW(view.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  photos->Import(paths, view.m_hWnd);
  const int kept = photos->Count();
  EXPECT_GE(kept, 1);
  EXPECT_LT(kept, 10);
  ASSERT_TRUE(PumpUntil([&] { return AllMade(); }, 20000));
  EXPECT_EQ(photos->Count(), kept);
  ExpectOwnColours(paths);

  // A file with a photo's header and nothing after it: listed from its
  // header, gone again when its thumbnail cannot be made.
  const auto whole = fixtures::Encode(
      800, 600, [](int, int) { return 0xFF808080u; }, L"image/jpeg");
  std::size_t frame = 2;
  while (frame + 4 < whole.size() && !(whole[frame] == 0xFF && whole[frame + 1] == 0xC0)) ++frame;
  const std::wstring headerOnly =
      folder.Write(L"header-only.jpg", std::vector<std::uint8_t>(whole.begin(), whole.begin() + frame + 40));
  EXPECT_TRUE(photos->AddPhoto(headerOnly));
  EXPECT_EQ(photos->Count(), kept + 1);
  ASSERT_TRUE(PumpUntil([&] { return photos->Count() == kept && photos->ThumbnailsPending() == 0; }, 20000));
}

TEST_F(Thumbnails, APhotoClaimingMorePixelsThanAnyPhotoLeavesNoRowAndIsNeverDecoded) {
  // A small file whose frame header claims 22000 x 22000 pixels.
  std::vector<std::uint8_t> bytes = fixtures::Encode(
      64, 48, [](int, int) { return 0xFF808080u; }, L"image/jpeg");
  std::size_t frame = 2;
  while (frame + 9 < bytes.size() && !(bytes[frame] == 0xFF && bytes[frame + 1] == 0xC0)) ++frame;
  ASSERT_LT(frame + 9, bytes.size());
  for (std::size_t at : {frame + 5, frame + 7}) {
    bytes[at] = 22000 >> 8;
    bytes[at + 1] = 22000 & 0xFF;
  }
  const std::wstring huge = folder.Write(L"huge.jpg", bytes);
  Size size{};
  EXPECT_FALSE(ReadPhotoSize(huge.c_str(), size)) << "no row from its header";
  CImg image;
  EXPECT_FALSE(LoadPhotoFor(
      huge.c_str(),
      [](Size) {
        return Size{96, 96};
      },
      image, size))
      << "nor from a decode";
  EXPECT_TRUE(image.IsNull());
  EXPECT_FALSE(photos->AddPhoto(huge));
  EXPECT_EQ(photos->Count(), 0);
}

TEST_F(Thumbnails, OnlyRowsAroundTheScreenKeepThumbnailsAndRowsScrolledToGetThemAgain) {
  photos->SetThumbnailBudget(20);
  const std::vector<std::wstring> paths = Photos(L"k", 60, 64, 48);
  photos->Import(paths, view.m_hWnd);
  ASSERT_EQ(photos->Count(), 60);
  const auto made = [&](int row) { return photos->Entries()[static_cast<std::size_t>(row)]->image != nullptr; };
  ASSERT_TRUE(PumpUntil([&] { return Kept() == 20; }, 20000));
  EXPECT_TRUE(made(0) && made(19) && !made(20)) << "the first rows, the screen's among them";
  // At the end of the list: its rows get theirs, the first rows give theirs
  // back; the kept ones never pass the budget.
  photos->List()->SendMessage(LB_SETTOPINDEX, 56);
  ASSERT_TRUE(PumpUntil([&] { return made(59) && !made(0); }, 20000));
  EXPECT_LE(Kept(), 20);
  // Back at the top, the first row's thumbnail is made again, its own.
  photos->List()->SendMessage(LB_SETTOPINDEX, 0);
  ASSERT_TRUE(PumpUntil([&] { return made(0); }, 20000));
  EXPECT_TRUE(Near(ThumbnailColour(*photos->Entries()[0]), Colour(0)));
  PumpUntil([&] { return photos->ThumbnailsPending() == 40; }, 5000);
  EXPECT_LE(Kept(), 20);
  EXPECT_EQ(photos->Count(), 60) << "no row left for lack of a thumbnail";
}

TEST_F(Thumbnails, ALongListHoldsNoGdiObjectPerRow) {
  // 2,500 names of one small photo: as many thumbnails as the list keeps.
  const std::wstring original = Photos(L"one", 1, 64, 48)[0];
  std::vector<std::wstring> paths;
  for (int i = 0; i < 2500; ++i) {
    paths.push_back(folder.path() + L"long" + std::to_wstring(i) + L".jpg");
    ASSERT_TRUE(::CreateHardLinkW(paths.back().c_str(), original.c_str(), nullptr) ||
                ::CopyFileW(original.c_str(), paths.back().c_str(), FALSE));
  }
  const long before = e2e::GdiObjects(::GetCurrentProcess());
  ASSERT_GE(before, 0) << "the GDI handle table can be read";
  photos->Import(paths, view.m_hWnd);
  ASSERT_EQ(photos->Count(), 2500);
  ASSERT_TRUE(PumpUntil([&] { return Kept() == PhotoCollection::kThumbnailBudget; }, 60000)) << Kept();
  const long after = e2e::GdiObjects(::GetCurrentProcess());
  std::printf("GDI objects: %ld before the import, %ld with 2,500 rows and %d thumbnails\n", before, after, Kept());
  EXPECT_LT(after - before, 100);
}

TEST_F(Thumbnails, RowsScrolledIntoViewAreMadeBeforeTheRest) {
  // One worker and names of one large photo: the order in which the rows
  // are finished is the order the worker took them in.
  const std::wstring original = Photos(L"order", 1, 4000, 3000)[0];
  Thumbnailer worker([] {}, 1);
  EXPECT_EQ(worker.Workers(), 1);
  std::vector<std::wstring> links;
  for (int i = 1; i <= 30; ++i) {
    links.push_back(folder.path() + L"order-link" + std::to_wstring(i) + L".jpg");
    if (!::CreateHardLinkW(links.back().c_str(), original.c_str(), nullptr)) {
      ASSERT_TRUE(::CopyFileW(original.c_str(), links.back().c_str(), FALSE));
    }
  }
  for (Thumbnailer::Key key = 1; key <= 30; ++key) worker.Add(key, links[key - 1], 96);
  // Scrolled down to rows 20 to 23 while the first row is being made.
  worker.ShowFirst({20, 21, 22, 23});
  worker.Remove(22);
  std::vector<Thumbnailer::Key> order;
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (Thumbnailer::Made& m : worker.TakeMade()) {
          EXPECT_TRUE(m.ok);
          order.push_back(m.key);
        }
        return worker.Pending() == 0;
      },
      30000));
  for (Thumbnailer::Made& m : worker.TakeMade()) order.push_back(m.key);
  ASSERT_EQ(order.size(), 29u) << "every row but the removed one";
  EXPECT_EQ(std::count(order.begin(), order.end(), 22u), 0);
  const auto at = [&](Thumbnailer::Key key) { return std::find(order.begin(), order.end(), key) - order.begin(); };
  // The row under way when the list scrolled (and at most two more) comes
  // first, then the rows on screen, then the others in list order.
  EXPECT_LE(at(20), 3);
  EXPECT_EQ(at(21), at(20) + 1);
  EXPECT_EQ(at(23), at(20) + 2);
  EXPECT_LT(at(23), at(5));
  EXPECT_LT(at(5), at(6));
  EXPECT_LT(at(19), at(24));
}

}  // namespace
}  // namespace k3
