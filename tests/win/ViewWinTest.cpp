// The main view's windows on their own: controls bound at creation with
// their owner-draw requests reflected to them, and the rows of the photo
// list as they are drawn.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "ImageFixtures.h"
#include "framework/Handles.h"
#include "framework/ListBox.h"
#include "framework/Wnd.h"
#include "ui/ImgList.h"

namespace k3 {
namespace {

// An owner-drawn list box that counts the requests that reach it.
class CountingList : public fw::CListBox {
 public:
  int measured = 0;
  int drawn = 0;
  void MeasureItem(MEASUREITEMSTRUCT& item) override {
    ++measured;
    item.itemHeight = 30;
  }
  void DrawItem(const DRAWITEMSTRUCT&) override { ++drawn; }
};

class Parent : public fw::CWnd {};

TEST(ViewControls, OwnerDrawRequestsReachTheControlsOwnWrapperFromItsCreationOn) {
  Parent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 300}, nullptr, 0));
  CountingList list;
  // A fixed-height owner-drawn list asks its parent for the row height
  // while it is being created: the wrapper already answers.
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                          RECT{0, 0, 200, 200}, parent.m_hWnd, 7));
  EXPECT_EQ(fw::CWnd::FromHandle(list.m_hWnd), &list);
  EXPECT_GE(list.measured, 1);
  EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, 0), 30);
  list.AddString(L"one");
  list.AddString(L"two");
  ::UpdateWindow(list.m_hWnd);
  ::RedrawWindow(list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(list.drawn, 2) << "each row is drawn by the list itself";
  list.SetSel(1, true);
  EXPECT_EQ(list.GetSelCount(), 0) << "a single-selection list has no multiple selection";
  list.DestroyWindow();
  parent.DestroyWindow();
}

// The pixels of a row of the photo list, drawn into a bitmap.
struct RowPicture {
  fw::MemoryDc dc{::CreateCompatibleDC(nullptr)};
  fw::GdiBitmap bitmap;
  HGDIOBJ previous = nullptr;
  RowPicture(int width, int height) {
    fw::WindowDc screen(nullptr);
    bitmap.reset(::CreateCompatibleBitmap(screen.get(), width, height));
    previous = ::SelectObject(dc.get(), bitmap.get());
  }
  ~RowPicture() { ::SelectObject(dc.get(), previous); }
  COLORREF At(int x, int y) const { return ::GetPixel(dc.get(), x, y); }
};

TEST(ImgList, RowsShowTheThumbnailCentredThePathAndTheSelection) {
  Parent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, RECT{0, 0, 500, 400}, nullptr, 0));
  CImgList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTIPLESEL |
                              LBS_NOINTEGRALHEIGHT,
                          RECT{0, 0, 400, 300}, parent.m_hWnd, 203));
  EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, 0), 100);
  // A 4000 x 3000 photo's 96 x 72 red thumbnail.
  auto image = std::make_unique<CImg>();
  ASSERT_TRUE(image->Create(24, 96, 72));
  {
    ImgDc dc(*image);
    fw::GdiBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    RECT all{0, 0, 96, 72};
    ::FillRect(dc.get(), &all, red.get());
  }
  CImgThumb entry(L"C:\\photos\\a.jpg", std::move(image), 4000, 3000);
  list.AddString(entry.path.c_str());
  list.SetItemDataPtr(0, &entry);

  for (bool selected : {false, true}) {
    RowPicture row(400, 100);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = 0;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = list.m_hWnd;
    item.hDC = row.dc.get();
    item.rcItem = RECT{0, 0, 400, 100};
    list.DrawItem(item);
    const COLORREF background = selected ? CImgList::kSelectedRowColour : CImgList::kRowColour;
    EXPECT_EQ(row.At(1, 1), background) << selected;
    EXPECT_EQ(row.At(50, 13), background) << "above the thumbnail";
    EXPECT_EQ(row.At(2, 14), RGB(255, 0, 0)) << "the thumbnail's corner at (2, 14)";
    EXPECT_EQ(row.At(97, 85), RGB(255, 0, 0));
    EXPECT_EQ(row.At(98, 86), background);
    int ink = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 100; x < 400; ++x) ink += row.At(x, y) != background;
    EXPECT_GT(ink, 100) << "the path and the size line";
  }
  // A row beyond the count draws nothing.
  RowPicture untouched(400, 100);
  RECT all{0, 0, 400, 100};
  ::FillRect(untouched.dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  DRAWITEMSTRUCT beyond{};
  beyond.CtlType = ODT_LISTBOX;
  beyond.itemID = 5;
  beyond.hwndItem = list.m_hWnd;
  beyond.hDC = untouched.dc.get();
  beyond.rcItem = all;
  list.DrawItem(beyond);
  EXPECT_EQ(untouched.At(50, 50), RGB(0, 0, 0));
  list.DestroyWindow();
  parent.DestroyWindow();
}

}  // namespace
}  // namespace k3
