// The main view's windows on their own: controls bound at creation with
// their owner-draw requests reflected to them, and the rows of the photo
// list as they are drawn.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/ListBox.h"
#include "framework/Wnd.h"
#include "ui/ControlIds.h"
#include "ui/ImageButton.h"
#include "ui/ImgList.h"
#include "ui/Palette.h"
#include "ui/SettingsPanel.h"
#include "ui/ViewLayout.h"

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
  ASSERT_TRUE(
      list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTIPLESEL | LBS_NOINTEGRALHEIGHT,
                  RECT{0, 0, 400, 300}, parent.m_hWnd, 203));
  EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, 0), 100);
  // A 4000 x 3000 photo's 96 x 72 red thumbnail.
  auto image = std::make_unique<PixelBuffer>(96, 72);
  for (int y = 0; y < 72; ++y) {
    for (int x = 0; x < 96; ++x) image->View().At(x, y)[2] = 255;
  }
  CImgThumb entry(L"C:\\photos\\a.jpg", std::move(image), 4000, 3000);
  list.AddString(entry.path.c_str());
  list.SetItemDataPtr(0, &entry);

  // Its own colours, then a high-contrast scheme's (the system's colours
  // in place of the palette's; the frame of a selected row in the
  // highlight's text colour).
  const ViewColours highContrast =
      HighContrastColours({RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 0, 128), RGB(40, 40, 40),
                           RGB(0, 255, 0), RGB(128, 128, 128)});
  for (const ViewColours& colours : {ViewColours{}, highContrast})
    for (bool selected : {false, true}) {
      list.SetColours(colours);
      RowPicture row(400, 100);
      DRAWITEMSTRUCT item{};
      item.CtlType = ODT_LISTBOX;
      item.itemID = 0;
      // The model's selection is drawn, whatever the box's own state says.
      entry.selected = selected;
      item.itemState = selected ? 0 : ODS_SELECTED;
      item.hwndItem = list.m_hWnd;
      item.hDC = row.dc.get();
      item.rcItem = RECT{0, 0, 400, 100};
      list.DrawItem(item);
      const COLORREF background = selected ? colours.selectedRow : colours.list;
      EXPECT_EQ(colours.system ? RGB(0, 0, 0) : palette::kList, colours.list);
      EXPECT_EQ(row.At(1, 1), selected ? colours.selectionMark : background) << "a selected row's frame";
      EXPECT_EQ(row.At(399, 50), selected ? colours.selectionMark : background);
      EXPECT_EQ(row.At(3, 3), background) << selected;
      EXPECT_EQ(row.At(50, 13), background) << "above the thumbnail";
      EXPECT_EQ(row.At(2, 14), RGB(255, 0, 0)) << "the thumbnail's corner at (2, 14)";
      EXPECT_EQ(row.At(97, 85), RGB(255, 0, 0));
      EXPECT_EQ(row.At(98, 86), background);
      int ink = 0;
      for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 400; ++x) ink += row.At(x, y) != background;
      EXPECT_GT(ink, 100) << "the path and the size line";
      if (colours.system) {
        int inHighlightText = 0;
        for (int y = 0; y < 100; ++y)
          for (int x = 100; x < 400; ++x) inHighlightText += row.At(x, y) == RGB(0, 0, 128);
        EXPECT_EQ(inHighlightText > 0, selected) << "a selected row's text in the highlight's text colour";
      }
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

  // At 300 per cent a row is still one the list box takes, and the
  // thumbnail fits in it whole.
  list.SetDpi(288);
  EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, 0), list.RowHeight());
  EXPECT_LE(list.RowHeight(), 255);
  EXPECT_GE(list.RowHeight(), 250);
  EXPECT_LE(list.ThumbnailSide() + 4, list.RowHeight());
  list.DestroyWindow();
  parent.DestroyWindow();
}

// A button that counts its own clicks and a parent that counts the
// commands that reach its command table.
class CountingButton : public fw::CButton {
 public:
  bool handles = false;
  int clicks = 0;
  bool OnClicked() override {
    ++clicks;
    return handles;
  }
};

class CommandParent : public fw::CWnd {
 public:
  std::vector<std::pair<UINT, int>> commands;
  std::function<bool(UINT)> onClicked;
  BOOL OnCmdMsg(UINT id, int code) override {
    commands.emplace_back(id, code);
    return onClicked && code == BN_CLICKED ? onClicked(id) : TRUE;
  }
};

TEST(ViewControls, ACommandReachesTheControlsWrapperFirstAndADoubleClickCanBeAClick) {
  CommandParent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, RECT{0, 0, 300, 300}, nullptr, 0));
  CountingButton button;
  ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{0, 0, 50, 20}, parent.m_hWnd, 42));
  const auto notify = [&](int code) {
    ::SendMessageW(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(42, code), reinterpret_cast<LPARAM>(button.m_hWnd));
  };

  // The button's own click: the wrapper sees it, then the command table.
  button.SendMessage(BM_CLICK);
  EXPECT_EQ(button.clicks, 1);
  EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, int>>{{42, BN_CLICKED}}));
  // A wrapper that handles the click keeps it from the command table.
  button.handles = true;
  parent.commands.clear();
  button.SendMessage(BM_CLICK);
  EXPECT_EQ(button.clicks, 2);
  EXPECT_TRUE(parent.commands.empty());
  button.handles = false;

  // A double click is a double click, unless the button says it is a click.
  parent.commands.clear();
  notify(BN_DOUBLECLICKED);
  EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, int>>{{42, BN_DOUBLECLICKED}}));
  button.SetDoubleClickIsClick(true);
  parent.commands.clear();
  notify(BN_DOUBLECLICKED);
  EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, int>>{{42, BN_CLICKED}}));
  EXPECT_EQ(button.clicks, 3) << "and the button saw it as one";

  // A menu or accelerator command (no window) goes straight to the table.
  parent.commands.clear();
  ::SendMessageW(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(7, 0), 0);
  EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, int>>{{7, 0}}));
  EXPECT_EQ(button.clicks, 3);
}

// A sheet of flat colours: `columns` faces of w x h, normal above, pressed
// below, each face one colour from `colours` (normal ones first).
std::unique_ptr<CImg> Sheet(int columns, int w, int h, const std::vector<COLORREF>& colours) {
  auto sheet = std::make_unique<CImg>();
  if (!sheet->Create(24, columns * w, 2 * h)) return nullptr;
  ImgDc dc(*sheet);
  for (int row = 0; row < 2; ++row) {
    for (int c = 0; c < columns; ++c) {
      fw::GdiBrush brush(::CreateSolidBrush(colours[static_cast<std::size_t>(row * columns + c)]));
      RECT face{c * w, row * h, (c + 1) * w, (row + 1) * h};
      ::FillRect(dc.get(), &face, brush.get());
    }
  }
  return sheet;
}

// A `size` button drawn into a black picture of at least 40 x 40.
std::unique_ptr<RowPicture> DrawnButton(CImageButton& button, bool pressed, SIZE size) {
  auto picture = std::make_unique<RowPicture>(std::max(40, static_cast<int>(size.cx) + 1),
                                              std::max(40, static_cast<int>(size.cy) + 1));
  RECT all{0, 0, 200, 200};
  ::FillRect(picture->dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.itemState = pressed ? ODS_SELECTED : 0;
  item.hwndItem = button.m_hWnd;
  item.hDC = picture->dc.get();
  item.rcItem = RECT{0, 0, size.cx, size.cy};
  // Through the parent, as the system asks.
  ::SendMessageW(::GetParent(button.m_hWnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  return picture;
}

// The pixel at (x, y) of it.
COLORREF DrawnFace(CImageButton& button, bool pressed, int x, int y, SIZE size) {
  return DrawnButton(button, pressed, size)->At(x, y);
}

TEST(ImageButton, DrawsItsNormalAndPressedFaceFromTheSheet) {
  Parent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, RECT{0, 0, 300, 300}, nullptr, 0));
  const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), yellow = RGB(255, 255, 0);
  // Two faces of 20 x 10: red / blue normal, green / yellow pressed.
  auto faces = Sheet(2, 20, 10, {red, blue, green, yellow});
  ASSERT_TRUE(faces);
  CImageButton second;
  ASSERT_TRUE(second.Create(parent.m_hWnd, 206, faces.get(), CImageButton::Sheet::Faces, 1, nullptr));
  const SIZE face{20, 10}, cell{17, 17};
  EXPECT_EQ(DrawnFace(second, false, 0, 0, face), blue);
  EXPECT_EQ(DrawnFace(second, false, 19, 9, face), blue);
  EXPECT_EQ(DrawnFace(second, false, 20, 10, face), RGB(0, 0, 0)) << "the button's size only";
  EXPECT_EQ(DrawnFace(second, true, 0, 0, face), yellow);
  EXPECT_EQ(DrawnFace(second, true, 19, 9, face), yellow);
  // A button of another size (the faces of the nearest scale at another
  // DPI): the face fills it.
  EXPECT_EQ(DrawnFace(second, false, 29, 14, SIZE{30, 15}), blue);
  EXPECT_EQ(DrawnFace(second, false, 30, 15, SIZE{30, 15}), RGB(0, 0, 0));
  ASSERT_TRUE(second.NormalFace() && second.PressedFace());
  EXPECT_EQ(second.NormalFace()->Width(), 20) << "cut once, when the button was made";

  // Icons: square cells half the sheet high counted from 1; magenta shows
  // the panel.
  const COLORREF magenta = RGB(255, 0, 255), panel = RGB(245, 250, 254);
  auto icons = Sheet(3, 17, 17, {red, magenta, blue, green, yellow, magenta});
  fw::GdiBrush panelBrush(::CreateSolidBrush(panel));
  CImageButton icon;
  ASSERT_TRUE(icon.Create(parent.m_hWnd, 217, icons.get(), CImageButton::Sheet::Icons, 3, panelBrush.get()));
  EXPECT_EQ(DrawnFace(icon, false, 8, 8, cell), blue);
  EXPECT_EQ(DrawnFace(icon, true, 8, 8, cell), panel) << "the pressed cell is magenta: keyed out";
  EXPECT_EQ(DrawnFace(icon, false, 17, 17, cell), RGB(0, 0, 0)) << "one cell only";
  EXPECT_EQ(DrawnFace(icon, false, 25, 25, SIZE{26, 26}), blue) << "the cell fills a larger button";
  CImageButton keyed;
  ASSERT_TRUE(keyed.Create(parent.m_hWnd, 218, icons.get(), CImageButton::Sheet::Icons, 2, panelBrush.get()));
  EXPECT_EQ(DrawnFace(keyed, false, 8, 8, cell), panel);
  EXPECT_EQ(DrawnFace(keyed, true, 8, 8, cell), yellow);
  // Another sheet (the same faces drawn at 150 per cent): cut again.
  auto larger = Sheet(2, 30, 15, {green, red, blue, yellow});
  second.SetSheet(larger.get());
  EXPECT_EQ(second.NormalFace()->Width(), 30);
  EXPECT_EQ(DrawnFace(second, false, 29, 14, SIZE{30, 15}), red);

  // In the system's colours (high contrast) a face is a text button: its
  // name in button text on button face, framed; pressed, the two change
  // places. An icon is its outline in the panel's text colour.
  const ViewColours system = HighContrastColours({RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(255, 255, 0),
                                                  RGB(20, 20, 20), RGB(0, 255, 0), RGB(128, 128, 128)});
  fw::GdiBrush windowBrush(::CreateSolidBrush(system.panel));
  ::SetWindowTextW(second.m_hWnd, L"Save");
  second.SetColours(system, windowBrush.get());
  const auto count = [](CImageButton& b, bool pressed, SIZE size, COLORREF colour) {
    const auto picture = DrawnButton(b, pressed, size);
    int n = 0;
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x) n += picture->At(x, y) == colour;
    return n;
  };
  const SIZE wide{60, 20};
  EXPECT_EQ(DrawnFace(second, false, 0, 0, wide), system.buttonText) << "the frame";
  EXPECT_EQ(DrawnFace(second, false, 2, 2, wide), system.buttonFace);
  EXPECT_GT(count(second, false, wide, system.buttonText), 2 * (60 + 20) + 10) << "the frame and the name";
  EXPECT_EQ(count(second, false, wide, red) + count(second, false, wide, blue), 0) << "no picture";
  EXPECT_EQ(DrawnFace(second, true, 2, 2, wide), system.buttonText) << "pressed";
  icon.SetColours(system, windowBrush.get());
  EXPECT_EQ(DrawnFace(icon, false, 8, 8, cell), system.panelText) << "the icon's outline";
  EXPECT_EQ(DrawnFace(icon, true, 8, 8, cell), system.panel) << "pressed";
  keyed.SetColours(system, windowBrush.get());
  EXPECT_EQ(DrawnFace(keyed, false, 8, 8, cell), system.panel) << "the key stays the panel";
  second.SetColours(ViewColours{}, nullptr);
  EXPECT_EQ(DrawnFace(second, false, 29, 14, SIZE{30, 15}), red) << "its own look again";

  // A quick second click is a click.
  CommandParent commands;
  ASSERT_TRUE(commands.CreateEx(0, nullptr, L"commands", WS_POPUP, RECT{0, 0, 300, 300}, nullptr, 0));
  CImageButton save;
  ASSERT_TRUE(save.Create(commands.m_hWnd, 200, faces.get(), CImageButton::Sheet::Faces, 0, nullptr));
  ::SendMessageW(commands.m_hWnd, WM_COMMAND, MAKEWPARAM(200, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(save.m_hWnd));
  EXPECT_EQ(commands.commands, (std::vector<std::pair<UINT, int>>{{200, BN_CLICKED}}));
}

TEST(SettingsPanel, StartsWithTheDriftsChoicesAndTellsItWhatIsClicked) {
  // A record no default gives, as a show's: each group checks what it
  // stands for (the speed is the main window's Normal), a value no choice
  // gives checks nothing.
  {
    CommandParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, RECT{0, 0, 800, 600}, nullptr, 0));
    CDriftlet drift;
    DisplaySettings shown;
    shown.displayType = kWave;
    shown.photoSize = 3;
    shown.zOrder = kBottomMost;
    shown.switchInterval = 12345;
    DriftletProbe(drift).ReplaceSettings(shown);
    SettingsPanel panel(drift);
    panel.Create(parent.m_hWnd, nullptr, nullptr);
    EXPECT_EQ(panel.Checked(ids::kTypeFirst), 3);
    EXPECT_EQ(panel.Checked(ids::kSpeedFirst), 1);
    EXPECT_EQ(panel.Checked(ids::kSizeFirst), 3);
    EXPECT_EQ(panel.Checked(ids::kZOrderFirst), 0);
    EXPECT_EQ(panel.Checked(ids::kIntervalFirst), -1);
    panel.Destroy();
  }
  CommandParent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, RECT{0, 0, 800, 600}, nullptr, 0));
  CDriftlet drift;
  SettingsPanel panel(drift);
  panel.Create(parent.m_hWnd, nullptr, nullptr);
  panel.Layout(LayoutView(800, 600));
  EXPECT_EQ(panel.Checked(ids::kTypeFirst), 2) << "Ripple";
  EXPECT_EQ(panel.Checked(ids::kSpeedFirst), 1);
  EXPECT_EQ(panel.Checked(ids::kSizeFirst), 2);
  EXPECT_EQ(panel.Checked(ids::kZOrderFirst), 2);
  EXPECT_EQ(panel.Checked(ids::kIntervalFirst), 1);
  EXPECT_EQ(drift.Settings().frameInterval, SpeedPeriod(1)) << "the Normal speed is applied at once";
  EXPECT_EQ(panel.Checked(ids::kStrengthSlider), -1) << "not a group";

  HWND strength = ::GetDlgItem(parent.m_hWnd, ids::kStrengthSlider);
  HWND waves = ::GetDlgItem(parent.m_hWnd, ids::kWaveCountSlider);
  ASSERT_TRUE(strength && waves);
  const auto range = [](HWND bar) {
    return std::pair<LRESULT, LRESULT>(::SendMessageW(bar, TBM_GETRANGEMIN, 0, 0),
                                       ::SendMessageW(bar, TBM_GETRANGEMAX, 0, 0));
  };
  // Its own style: the parent is not on the screen.
  const auto Shown = [](HWND bar) { return (::GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE) != 0; };
  const auto click = [&](UINT id) {
    ::SendMessageW(::GetDlgItem(parent.m_hWnd, static_cast<int>(id)), BM_CLICK, 0, 0);
  };

  // The trackbars each display type uses, with its ranges.
  click(ids::kTypeFirst + 1);  // Sphere
  EXPECT_EQ(drift.Settings().displayType, 1);
  EXPECT_EQ(panel.Checked(ids::kTypeFirst), 1) << "one choice per group";
  EXPECT_TRUE(Shown(strength));
  EXPECT_EQ(range(strength), (std::pair<LRESULT, LRESULT>(50, 90)));
  EXPECT_FALSE(Shown(waves));
  click(ids::kTypeFirst + 3);  // Wave
  EXPECT_EQ(drift.Settings().displayType, 3);
  EXPECT_EQ(range(strength), (std::pair<LRESULT, LRESULT>(50, 300)));
  EXPECT_TRUE(Shown(waves));
  EXPECT_EQ(range(waves), (std::pair<LRESULT, LRESULT>(1, 20)));
  click(ids::kTypeFirst);  // Photo
  EXPECT_FALSE(Shown(strength));
  EXPECT_FALSE(Shown(waves));

  // The other groups.
  click(ids::kSpeedFirst + 2);
  EXPECT_EQ(drift.Settings().frameInterval, SpeedPeriod(2));
  click(ids::kSizeFirst + 4);
  EXPECT_EQ(drift.Settings().photoSize, 4);
  click(ids::kZOrderFirst);
  EXPECT_EQ(drift.Settings().zOrder, kBottomMost);
  click(ids::kIntervalFirst + 4);
  EXPECT_EQ(drift.Settings().switchInterval, IntervalValue(4));
  EXPECT_TRUE(parent.commands.empty()) << "the groups tell the panel, not the parent's command table";

  // A dragged thumb stores the position it reports; keys and a click
  // beside the thumb store where they moved it; the end of a move nothing.
  click(ids::kTypeFirst + 2);  // Ripple
  ::SendMessageW(parent.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 120), reinterpret_cast<LPARAM>(strength));
  EXPECT_EQ(drift.Settings().effectStrength, 120);
  ::SendMessageW(parent.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 200), reinterpret_cast<LPARAM>(strength));
  EXPECT_EQ(drift.Settings().effectStrength, 120);
  ::SetFocus(strength);
  ::SendMessageW(strength, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(drift.Settings().effectStrength, 300) << "End";
  ::SendMessageW(strength, WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(drift.Settings().effectStrength, 299) << "an arrow";
  ::SendMessageW(strength, WM_KEYDOWN, VK_PRIOR, 0);
  EXPECT_EQ(drift.Settings().effectStrength, static_cast<std::uint16_t>(::SendMessageW(strength, TBM_GETPOS, 0, 0)))
      << "Page Up";
  ::SendMessageW(parent.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 7), reinterpret_cast<LPARAM>(waves));
  EXPECT_EQ(drift.Settings().waveCount, 7);

  // The panel paints its controls on its own colour.
  fw::WindowDc dc(parent.m_hWnd);
  const auto brush = ::SendMessageW(parent.m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.get()),
                                    reinterpret_cast<LPARAM>(::GetDlgItem(parent.m_hWnd, ids::kSpeedFirst)));
  LOGBRUSH colour{};
  ASSERT_TRUE(::GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof colour, &colour));
  EXPECT_EQ(colour.lbColor, palette::kPanel);
  // In high contrast the window's colour, its text in the window text's.
  ViewColours system = HighContrastColours({RGB(0, 0, 0), RGB(255, 255, 0), 0, 0, 0, 0, 0});
  panel.SetColours(system);
  for (UINT id : {ids::kSpeedFirst, ids::kStrengthLabel}) {
    const HWND control = ::GetDlgItem(parent.m_hWnd, id);
    const auto next = ::SendMessageW(parent.m_hWnd, id == ids::kSpeedFirst ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC,
                                     reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(control));
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HBRUSH>(next), sizeof colour, &colour));
    EXPECT_EQ(colour.lbColor, RGB(0, 0, 0)) << id;
    EXPECT_EQ(::GetTextColor(dc.get()), RGB(255, 255, 0)) << id;
  }
  panel.Destroy();
}

}  // namespace
}  // namespace k3
