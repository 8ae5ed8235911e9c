// End to end on the real k3driftlet.bin: the main view as a user meets it.
// Every test runs a copy of the program in a folder of its own (with its
// own IMG.DAT), drops real files through X drag and drop, clicks and drags
// with the real X mouse and answers the real dialogs.
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "desktop/DisplaySettings.h"
#include "files/PackageCodec.h"
#include "ui/ControlIds.h"
#include "ui/ImageListFile.h"
#include "ui/Palette.h"
#include "ui/ViewLayout.h"

using namespace e2e;
namespace ids = k3::ids;

namespace {

constexpr int kList = ids::kImageList;

bool Japanese() { return JapaneseEdition(); }

// A JPEG of one colour.
std::vector<std::uint8_t> Jpeg(int w, int h, std::uint32_t argb) {
  fixtures::GdiplusSession gdiplus;
  return fixtures::Encode(
      w, h, [&](int, int) { return argb; }, L"image/jpeg");
}

// The records of an IMG.DAT: the text of each up to its zero byte.
std::vector<std::string> Records(const std::vector<std::uint8_t>& bytes) {
  constexpr std::size_t kRecord = k3::kImageListRecordBytes;
  std::vector<std::string> out;
  for (std::size_t at = 0; at + kRecord <= bytes.size(); at += kRecord) {
    const char* text = reinterpret_cast<const char*>(bytes.data() + at);
    out.emplace_back(text, strnlen(text, kRecord));
  }
  return out;
}

// A program folder of the test's own with a copy of the program, and the
// photos the test makes.
class ViewSession {
 public:
  ViewSession() {
    exe_ = folder_.path() + L"k3driftlet.bin";
    ::CopyFileW(DriftletPath().c_str(), exe_.c_str(), FALSE);
    ::CreateDirectoryW(Photos().c_str(), nullptr);
  }

  std::wstring Photos() const { return folder_.path() + L"photos\\"; }
  std::wstring ListFile() const { return folder_.path() + L"IMG.DAT"; }
  std::wstring Photo(const std::wstring& name, std::uint32_t argb, int w = 160, int h = 120) {
    const std::wstring path = Photos() + name;
    WriteFileBytes(path, Jpeg(w, h, argb));
    return path;
  }

  // Three photos, red, green and blue, listed in IMG.DAT; the program
  // started with them.
  bool StartWithThree(std::wstring& a, std::wstring& b, std::wstring& c) {
    a = Photo(L"a.jpg", 0xFFFF0000);
    b = Photo(L"b.jpg", 0xFF00FF00);
    c = Photo(L"c.jpg", 0xFF0000FF);
    WriteImageList(ListFile(), {a, b, c});
    return Start() && WaitCount(3);
  }

  // Starts the program and waits for its main view.
  bool Start() {
    program_ = std::make_unique<Program>(exe_, L"", true);
    frame = program_->WaitMainFrame();
    if (!frame) return false;
    view = ::GetDlgItem(frame, ids::kView);
    drift = program_->WaitDriftWindow();
    // The splash is over once the frame is opaque.
    return view && WaitUntil([&] { return !LayeredOpacity(frame); }, 10000);
  }

  Program& program() { return *program_; }
  HWND Control(int id) const { return ::GetDlgItem(view, id); }
  int Count() const { return static_cast<int>(::SendMessageW(Control(kList), LB_GETCOUNT, 0, 0)); }
  std::vector<int> Selected() const {
    std::vector<int> out;
    for (int i = 0; i < Count(); ++i) {
      if (::SendMessageW(Control(kList), LB_GETSEL, i, 0) > 0) out.push_back(i);
    }
    return out;
  }
  HWND Hint() const {
    for (HWND h : FindWindows(program_->Pid(), L"", L"K3DriftletHint")) return h;
    return nullptr;
  }

  // A point inside `r` (screen coordinates) away from the drifting window,
  // which floats over everything and would take the click or the drop.
  POINT Clear(RECT r) const {
    RECT d{};
    if (drift && ::IsWindowVisible(drift)) ::GetWindowRect(drift, &d);
    ::InflateRect(&d, 60, 60);
    POINT best{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (int i = 1; i < 8; ++i) {
      for (int j = 1; j < 4; ++j) {
        POINT p{r.left + (r.right - r.left) * i / 8, r.top + (r.bottom - r.top) * j / 4};
        if (!::PtInRect(&d, p)) return p;
      }
    }
    return best;
  }
  POINT ClearOf(HWND hwnd) const {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return Clear(r);
  }
  // The screen rectangle of a row of the list.
  RECT Row(int index) const {
    RECT r{};
    ::SendMessageW(Control(kList), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    ::MapWindowPoints(Control(kList), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  bool Click(HWND control) {
    const POINT p = ClearOf(control);
    return MouseClick(p.x, p.y);
  }
  bool ClickRow(int index) {
    const POINT p = Clear(Row(index));
    return MouseClick(p.x, p.y);
  }
  bool DropOnList(const std::vector<std::wstring>& paths) {
    RECT r{};
    ::GetWindowRect(Control(kList), &r);
    // Below the rows that may be there, where the empty list shows.
    r.top = std::min<LONG>(r.bottom - 40, r.top + 100 * Count() + 10);
    const POINT p = Clear(r);
    return DropFiles(p.x, p.y, paths) == 0;
  }
  bool WaitCount(int n) const {
    return WaitUntil([&] { return Count() == n && CProgressClosed(); }, 15000);
  }
  bool CProgressClosed() const {
    for (HWND h : FindWindows(program_->Pid(), L"", L"#32770")) {
      if (::IsWindowVisible(h)) return false;
    }
    return true;
  }
  // Answers the next message box with `button`; its text.
  std::wstring Answer(int button) {
    auto box = WaitMessageBox(program_->Pid());
    if (!box) return L"(no message box)";
    PressButton(box->hwnd, button);
    WaitUntil([&] { return !::IsWindow(box->hwnd); }, 5000);
    return box->text;
  }
  // Confirms the exit question and waits for the end.
  bool Exit() {
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    Answer(IDYES);
    return program_->WaitExit(15000).has_value();
  }

  HWND frame = nullptr;
  HWND view = nullptr;
  HWND drift = nullptr;

 private:
  fixtures::TempFolder folder_;
  std::wstring exe_;
  std::unique_ptr<Program> program_;
};

struct Expected {
  int id;
  int left;
  int width;
};

// The name Windows' standard accessible objects give a list or a slider:
// the static text just before it among its siblings (the search stops at a
// control that begins a group and is a tab stop).
std::wstring LabelOf(HWND control) {
  for (HWND h = ::GetWindow(control, GW_HWNDPREV); h; h = ::GetWindow(h, GW_HWNDPREV)) {
    wchar_t cls[16] = {};
    ::GetClassNameW(h, cls, 16);
    if (_wcsicmp(cls, L"Static") == 0) return WindowText(h);
    if ((::GetWindowLongPtrW(h, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) return {};
  }
  return {};
}

// What a screen reader reads, in the edition's language: each image
// button's name is its window text, the list and the sliders are named by
// the labels before them, each radio group by its heading; the icon
// buttons have tooltips.
TEST(MainView, EveryControlHasANameAScreenReaderReads) {
  ViewSession s;
  ASSERT_TRUE(s.Start());
  const bool ja = Japanese();
  const std::vector<std::pair<int, std::wstring>> buttons = {{ids::kSave, ja ? L"保存" : L"Save"},
                                                             {ids::kRemove, ja ? L"削除" : L"Delete"},
                                                             {ids::kRemoveAll, ja ? L"全て削除" : L"Delete All"},
                                                             {ids::kUpdate, ja ? L"アップデート" : L"Update"},
                                                             {ids::kVendorPage, ja ? L"ホームページ" : L"Home page"},
                                                             {ids::kProductPage, ja ? L"製品ページ" : L"Product page"},
                                                             {ids::kMinimize, ja ? L"最小化" : L"Minimize"},
                                                             {ids::kClose, ja ? L"閉じる" : L"Close"}};
  for (const auto& [id, name] : buttons) EXPECT_EQ(WindowText(s.Control(id)), name) << id;
  EXPECT_EQ(LabelOf(s.Control(kList)), ja ? L"写真の一覧" : L"Photos");
  EXPECT_EQ(LabelOf(s.Control(ids::kStrengthSlider)), ja ? L"強さ" : L"Strength");
  EXPECT_EQ(LabelOf(s.Control(ids::kWaveCountSlider)), ja ? L"波の数" : L"Waves");
  EXPECT_EQ(LabelOf(s.Control(ids::kTypeFirst)), ja ? L"タイプ" : L"Type");
  EXPECT_EQ(LabelOf(s.Control(ids::kSpeedFirst)), ja ? L"スピード" : L"Speed");
  EXPECT_EQ(LabelOf(s.Control(ids::kIntervalFirst)), ja ? L"画像送り" : L"Interval");
  // The five icon buttons' tooltips.
  int tools = 0;
  for (HWND tip : FindWindows(s.program().Pid(), L"", L"tooltips_class32")) {
    tools += static_cast<int>(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
  }
  EXPECT_EQ(tools, 5);
  EXPECT_TRUE(s.Exit());
}

TEST(MainView, ControlsTheirPlacesChecksAndTrackbars) {
  ViewSession s;
  ASSERT_TRUE(s.Start());
  RECT client{};
  ::GetClientRect(s.view, &client);
  ASSERT_EQ(client.right, 800);
  ASSERT_EQ(client.bottom, 600);
  // At a width of 800 (and the view's own controls of the title row).
  for (const Expected& e :
       {Expected{ids::kImageList, 10, 365}, Expected{ids::kSave, 521, 160}, Expected{ids::kRemove, 87, 70},
        Expected{ids::kRemoveAll, 229, 70}, Expected{ids::kClose, 775, 17}, Expected{ids::kMinimize, 754, 17},
        Expected{ids::kProductPage, 733, 17}, Expected{ids::kVendorPage, 712, 17}, Expected{ids::kTypeFirst, 504, 64},
        Expected{ids::kTypeFirst + 1, 568, 64}, Expected{ids::kTypeFirst + 2, 632, 64},
        Expected{ids::kTypeFirst + 3, 696, 64}, Expected{ids::kTypeFirst + 4, 504, 64},
        Expected{ids::kStrengthSlider, 524, 200}, Expected{ids::kWaveCountSlider, 524, 200},
        Expected{ids::kIntervalFirst, 504, 56}, Expected{ids::kIntervalFirst + 8, 504, 56}}) {
    HWND c = s.Control(e.id);
    ASSERT_TRUE(c) << e.id;
    const RECT r = RectIn(s.view, c);
    EXPECT_EQ(r.left, e.left) << e.id;
    EXPECT_EQ(r.right - r.left, e.width) << e.id;
  }
  // And every control where the layout puts it at 800 x 600.
  const k3::ViewLayout layout = k3::LayoutView(800, 600);
  auto same = [&](int id, const k3::Rect& r) {
    const RECT got = RectIn(s.view, s.Control(id));
    EXPECT_EQ((k3::Rect{got.left, got.top, got.right, got.bottom}), r) << id;
  };
  same(ids::kSave, layout.saveButton);
  same(ids::kImageList, layout.imageList);
  same(ids::kRemove, layout.removeButton);
  same(ids::kRemoveAll, layout.removeAllButton);
  same(ids::kVendorPage, layout.vendorPageButton);
  same(ids::kProductPage, layout.productPageButton);
  same(ids::kMinimize, layout.minimizeButton);
  same(ids::kClose, layout.closeButton);
  same(ids::kStrengthSlider, layout.strengthSlider);
  same(ids::kWaveCountSlider, layout.waveCountSlider);
  for (int i = 0; i < 5; ++i) same(ids::kTypeFirst + i, layout.typeRadios[i]);
  for (int i = 0; i < 3; ++i) same(ids::kSpeedFirst + i, layout.speedRadios[i]);
  for (int i = 0; i < 5; ++i) same(ids::kSizeFirst + i, layout.sizeRadios[i]);
  for (int i = 0; i < 3; ++i) same(ids::kZOrderFirst + i, layout.zOrderRadios[i]);
  for (int i = 0; i < 9; ++i) same(ids::kIntervalFirst + i, layout.intervalRadios[i]);
  EXPECT_EQ(RectIn(s.view, s.Control(ids::kSave)).top, 600 - 33);
  EXPECT_EQ(RectIn(s.view, s.Control(ids::kImageList)).bottom, 40 + 520);
  // The labels: five, at x 424, texts in the edition's language.
  std::vector<std::wstring> labels;
  for (HWND c = ::GetWindow(s.view, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetDlgCtrlID(c) == 0xFFFF) {
      EXPECT_EQ(RectIn(s.view, c).left, 424);
      labels.push_back(WindowText(c));
    }
  }
  const std::vector<std::wstring> expectedLabels =
      Japanese() ? std::vector<std::wstring>{L"タイプ", L"スピード", L"サイズ", L"重なり", L"画像送り"}
                 : std::vector<std::wstring>{L"Type", L"Speed", L"Size", L"Z order", L"Interval"};
  EXPECT_EQ(labels, expectedLabels);
  EXPECT_EQ(WindowText(s.Control(ids::kTypeFirst + 1)), Japanese() ? L"球体" : L"Sphare");
  EXPECT_EQ(WindowText(s.Control(ids::kZOrderFirst + 2)), Japanese() ? L"最前面" : L"Top");
  EXPECT_EQ(WindowText(s.Control(ids::kIntervalFirst + 8)), Japanese() ? L"60分" : L"60min");

  // The checks: Ripple, Normal speed, 128, topmost, 5 seconds; nothing else.
  std::vector<int> checked;
  for (int id = ids::kTypeFirst; id <= int(ids::kIntervalFirst + 8); ++id) {
    if (::SendMessageW(s.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED) checked.push_back(id);
  }
  EXPECT_EQ(checked, (std::vector<int>{ids::kTypeFirst + 2, ids::kSpeedFirst + 1, ids::kSizeFirst + 2,
                                       ids::kZOrderFirst + 2, ids::kIntervalFirst + 1}));
  // Both trackbars of Ripple: strength 90 in 50..300, count 10 in 1..20.
  HWND strength = s.Control(ids::kStrengthSlider), count = s.Control(ids::kWaveCountSlider);
  EXPECT_TRUE(::IsWindowVisible(strength));
  EXPECT_TRUE(::IsWindowVisible(count));
  EXPECT_EQ(::SendMessageW(strength, TBM_GETPOS, 0, 0), 90);
  EXPECT_EQ(::SendMessageW(strength, TBM_GETRANGEMIN, 0, 0), 50);
  EXPECT_EQ(::SendMessageW(strength, TBM_GETRANGEMAX, 0, 0), 300);
  EXPECT_EQ(::SendMessageW(count, TBM_GETPOS, 0, 0), 10);
  EXPECT_EQ(::SendMessageW(count, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(::SendMessageW(count, TBM_GETRANGEMAX, 0, 0), 20);

  // The empty list shows the drop hint, 150 x 80, in its middle, with no
  // task-bar button.
  HWND hint = s.Hint();
  ASSERT_TRUE(hint);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hint) != FALSE; }, 5000));
  RECT h{};
  ::GetWindowRect(hint, &h);
  EXPECT_EQ(h.right - h.left, 150);
  EXPECT_EQ(h.bottom - h.top, 80);
  POINT origin{0, 0};
  ::ClientToScreen(s.view, &origin);
  EXPECT_EQ(h.left - origin.x, 10 + (365 - 150) / 2);
  EXPECT_EQ(h.top - origin.y, 40 + (520 - 80) / 2);
  EXPECT_TRUE(::GetWindowLongPtrW(hint, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  // It shows on the screen over the list: white around its text.
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(h.left + 4, h.top + 40) == RGB(255, 255, 255); }, 5000));

  // A click on the hint leaves the keyboard focus where it was.
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD thread = ::GetWindowThreadProcessId(s.frame, nullptr);
  ::GetGUIThreadInfo(thread, &gui);
  const HWND focusBefore = gui.hwndFocus;
  const POINT onHint = ScreenCentre(hint);
  ASSERT_TRUE(MouseClick(onHint.x, onHint.y));
  // Settle: a press on the title bar, queued after the click, starts the
  // move loop, which captures the mouse; once the capture shows, the click
  // has been handled. The press alone moves nothing.
  const POINT onTitle{origin.x + 200, origin.y + 14};
  ASSERT_EQ(RunUnixCommand("xdotool mousemove " + std::to_string(onTitle.x) + " " + std::to_string(onTitle.y) +
                           " sleep 0.1 mousedown 1"),
            0);
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetGUIThreadInfo(thread, &gui);
        return gui.hwndCapture == s.view;
      },
      5000))
      << "the press on the title bar was not seen";
  EXPECT_EQ(gui.hwndFocus, focusBefore) << "the focus is on control " << ::GetDlgCtrlID(gui.hwndFocus);
  EXPECT_NE(gui.hwndFocus, hint);
  ASSERT_EQ(RunUnixCommand("xdotool mouseup 1"), 0);
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetGUIThreadInfo(thread, &gui);
        return gui.hwndCapture == nullptr;
      },
      5000));

  // The title bar is blue while the program is active, grey while another
  // window is.
  auto titleBar = [&] { return ScreenPixel(origin.x + 200, origin.y + 14); };
  EXPECT_TRUE(WaitUntil([&] { return GetBValue(titleBar()) > GetRValue(titleBar()) + 60; }, 5000)) << "blue";
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr,
                                 nullptr);
  ::SetForegroundWindow(other);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const COLORREF c = titleBar();
        return std::abs(GetBValue(c) - GetRValue(c)) < 20;
      },
      5000))
      << "grey";
  ::DestroyWindow(other);
  ::SetForegroundWindow(s.frame);

  // Choosing Photo hides both trackbars; Sphere shows the strength one in
  // 50..90; a click on a radio button checks only it in its group.
  ASSERT_TRUE(s.Click(s.Control(ids::kTypeFirst)));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(strength) && !::IsWindowVisible(count); }, 5000));
  ASSERT_TRUE(s.Click(s.Control(ids::kTypeFirst + 1)));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(strength) && !::IsWindowVisible(count); }, 5000));
  EXPECT_EQ(::SendMessageW(strength, TBM_GETRANGEMAX, 0, 0), 90);
  EXPECT_EQ(::SendMessageW(s.Control(ids::kTypeFirst + 2), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Z order: Bottom takes the drifting window out of the topmost band.
  ASSERT_TRUE(s.Click(s.Control(ids::kZOrderFirst)));
  EXPECT_TRUE(WaitUntil([&] { return !(::GetWindowLongPtrW(s.drift, GWL_EXSTYLE) & WS_EX_TOPMOST); }, 5000));
  ASSERT_TRUE(s.Click(s.Control(ids::kZOrderFirst + 2)));
  EXPECT_TRUE(WaitUntil([&] { return (::GetWindowLongPtrW(s.drift, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5000));
  EXPECT_TRUE(s.Exit());
}

TEST(MainView, DropsAddJpegFilesAndFoldersOnceAndTheListSurvivesARestart) {
  ViewSession s;
  const std::wstring first = s.Photo(L"first.JPG", 0xFFFF0000);
  const std::wstring second = s.Photo(L"second.Jpeg", 0xFF0000FF);
  const std::wstring png = s.Photos() + L"third.png";
  {
    fixtures::GdiplusSession gdiplus;
    WriteFileBytes(png, fixtures::Encode(
                            40, 30, [](int, int) { return 0xFF00FF00u; }, L"image/png"));
  }
  // A folder with a sub-folder and a "_PAGE_" folder.
  const std::wstring album = s.Photos() + L"album";
  for (const wchar_t* sub : {L"", L"\\inner", L"\\_PAGE_"}) ::CreateDirectoryW((album + sub).c_str(), nullptr);
  const std::wstring inAlbum = s.Photo(L"album\\a.jpg", 0xFF808000);
  const std::wstring inner = s.Photo(L"album\\inner\\b.jpg", 0xFF008080);
  s.Photo(L"album\\_PAGE_\\c.jpg", 0xFF800080);

  ASSERT_TRUE(s.Start());
  // Onto the drop hint of the empty list.
  HWND hint = s.Hint();
  ASSERT_TRUE(hint);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hint) != FALSE; }, 5000));
  const POINT onHint = ScreenCentre(hint);
  ASSERT_EQ(DropFiles(onHint.x, onHint.y, {first}), 0);
  ASSERT_TRUE(s.WaitCount(1));
  EXPECT_EQ(s.Selected(), std::vector<int>{0}) << "the first photo of an empty list is selected";
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hint); }, 5000));
  RECT d{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(s.drift, &d);
        return ::IsWindowVisible(s.drift) && d.right - d.left > 100;
      },
      5000))
      << "and drifts";

  // .Jpeg in, .png out; the new photo is not selected.
  ASSERT_TRUE(s.DropOnList({second, png}));
  ASSERT_TRUE(s.WaitCount(2));
  EXPECT_EQ(s.Selected(), std::vector<int>{0});
  // A folder: its photos and those of its sub-folder, not those of _PAGE_.
  ASSERT_TRUE(s.DropOnList({album}));
  ASSERT_TRUE(s.WaitCount(4));
  // The same file again adds nothing. The drop's message was queued when
  // the drop was taken, so the program handles it before the exit key
  // posted next: the list written at the exit shows what it did.
  ASSERT_TRUE(s.DropOnList({first}));

  // Esc asks the exit question; Yes writes the list.
  ::SetForegroundWindow(s.frame);
  ::PostMessageW(s.view, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(s.Answer(IDYES), Japanese() ? L"終了しますか？" : L"Are you sure to exit?");
  ASSERT_TRUE(s.program().WaitExit(15000));
  std::vector<std::uint8_t> list = ReadFileBytes(s.ListFile());
  EXPECT_EQ(list.size(), 4u * 512);
  std::vector<std::string> records = Records(list);
  std::vector<std::string> expected = {Narrow(first), Narrow(second), Narrow(inAlbum), Narrow(inner)};
  // The folder's entries come in the order the folder lists them.
  ASSERT_EQ(records.size(), 4u);
  std::sort(records.begin() + 2, records.end());
  std::sort(expected.begin() + 2, expected.end());
  EXPECT_EQ(records, expected);

  // The next start shows the same photos in the same order, only the first
  // selected; a photo moved away in between is skipped and left out.
  ASSERT_TRUE(::MoveFileW(second.c_str(), (s.Photos() + L"moved.jpg").c_str()));
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.WaitCount(3));
  EXPECT_EQ(s.Selected(), std::vector<int>{0});
  EXPECT_FALSE(::IsWindowVisible(s.Hint()));
  ASSERT_TRUE(s.Exit());
  list = ReadFileBytes(s.ListFile());
  ASSERT_EQ(list.size(), 3u * 512);
  records = Records(list);
  EXPECT_EQ(records[0], Narrow(first));
  std::sort(records.begin() + 1, records.end());
  std::vector<std::string> rest = {Narrow(inAlbum), Narrow(inner)};
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(std::vector<std::string>(records.begin() + 1, records.end()), rest);
}

TEST(MainView, AFolderOfLargePhotosIsListedAtOnceAndTheProgramEndsWhileItsThumbnailsAreMade) {
  ViewSession s;
  // 40 names of a 20-MP wallpaper photo (hard links: one file's space).
  const std::wstring real = L"Z:\\usr\\share\\backgrounds\\Kleiber_by_Lukas_Baubkus.jpg";
  ASSERT_NE(::GetFileAttributesW(real.c_str()), INVALID_FILE_ATTRIBUTES) << "lomiri-wallpapers-20.04 is installed";
  const std::wstring album = s.Photos() + L"large";
  ::CreateDirectoryW(album.c_str(), nullptr);
  for (int i = 0; i < 40; ++i) {
    const std::wstring name = album + L"\\IMG_" + std::to_wstring(1000 + i) + L".JPG";
    if (!::CreateHardLinkW(name.c_str(), real.c_str(), nullptr)) {
      ASSERT_TRUE(::CopyFileW(real.c_str(), name.c_str(), FALSE));
    }
  }
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.DropOnList({album}));
  // All rows, from the photos' headers: at about 80 ms a thumbnail on two
  // workers, most are not made yet.
  ASSERT_TRUE(s.WaitCount(40));
  EXPECT_EQ(s.Selected(), std::vector<int>{0});
  // The first row's thumbnail arrives and shows: the photo's blues and
  // greys, neither the row's colour nor the box standing in for it.
  RECT list{};
  ::GetWindowRect(s.Control(kList), &list);
  const auto firstThumbnail = [&] { return ScreenPixel(list.left + 50, list.top + 50); };
  EXPECT_TRUE(WaitUntil(
      [&] {
        const COLORREF c = firstThumbnail();
        return c != k3::palette::kSelectedRow && c != k3::palette::kList && c != k3::palette::kThumbPlaceholder;
      },
      10000))
      << "the first thumbnail is drawn";
  // The end while the workers run: the question, Yes, and the process is
  // gone within seconds, with the list written.
  const ULONGLONG asked = ::GetTickCount64();
  ASSERT_TRUE(s.Exit());
  const ULONGLONG took = ::GetTickCount64() - asked;
  std::printf("the program ended %llu ms after it was asked to, with thumbnails being made\n", took);
  EXPECT_LT(took, Scaled(5000));
  EXPECT_EQ(ReadFileBytes(s.ListFile()).size(), 40u * 512);
}

// A tiny hostile JPEG: a progressive frame header claiming `side` x `side`
// (4:2:0), a first scan without tables and the end, a few dozen bytes.
std::vector<std::uint8_t> HostileProgressive(int side) {
  const auto hi = static_cast<std::uint8_t>(side >> 8), lo = static_cast<std::uint8_t>(side & 0xFF);
  std::vector<std::uint8_t> bytes{0xFF, 0xD8, 0xFF, 0xC2, 0x00, 0x11, 0x08, hi,   lo,   hi,   lo,   0x03,
                                  0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xDA, 0x00,
                                  0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x00, 0x00};
  for (int i = 0; i < 64; ++i) bytes.push_back(static_cast<std::uint8_t>(0x5A ^ i));
  bytes.insert(bytes.end(), {0xFF, 0xD9});
  return bytes;
}

// A folder of one photo and two tiny hostile files claiming 16000 x 16000
// and 22000 x 22000: only the photo is listed (the others could never be
// decoded within the budget or the bounds) and the program stays small.
TEST(MainView, TinyFilesClaimingHugeProgressiveFramesAreNotListedAndCostNothing) {
  ViewSession s;
  const std::wstring album = s.Photos() + L"hostile";
  ::CreateDirectoryW(album.c_str(), nullptr);
  const std::wstring normal = album + L"\\normal.jpg";
  ASSERT_TRUE(WriteFileBytes(normal, Jpeg(640, 480, 0xFF3060C0)));
  for (int side : {16000, 22000}) {
    const std::vector<std::uint8_t> bytes = HostileProgressive(side);
    ASSERT_LT(bytes.size(), 1024u);
    ASSERT_TRUE(WriteFileBytes(album + L"\\claims" + std::to_wstring(side) + L".jpg", bytes.data(), bytes.size()));
  }
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.DropOnList({album}));
  ASSERT_TRUE(s.WaitCount(1));
  EXPECT_FALSE(WaitUntil([&] { return s.Count() != 1; }, 3000)) << "the hostile files got no row";
  wchar_t row[MAX_PATH] = L"";
  ::SendMessageW(s.Control(kList), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
  EXPECT_EQ(std::wstring(row), normal);
  const double peak = DriftletPeakMegabytes();
  std::printf("peak resident memory: %.0f MB\n", peak);
  EXPECT_GT(peak, 0);
  EXPECT_LT(peak, 300);
  EXPECT_TRUE(s.Exit());
}

// The colour under the middle of the drifting window.
COLORREF DriftColour(HWND drift) {
  RECT r{};
  ::GetWindowRect(drift, &r);
  return ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool Reddish(COLORREF c) { return GetRValue(c) > 180 && GetBValue(c) < 90; }
bool Bluish(COLORREF c) { return GetBValue(c) > 180 && GetRValue(c) < 90; }

// Logoff, shutdown or the restart after an update, as Windows ends a
// session: the question, then the end; the process may be ended as soon
// as the frame returns from it, without its windows being destroyed.
void EndSession(HWND frame, DWORD pid) {
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, TRUE) << "the session may end";
  EXPECT_FALSE(WaitMessageBox(pid, 1000)) << "without the exit question";
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 15000, &answer));
}

// The program started with a red and a blue photo in its list.
void StartWithRedAndBlue(ViewSession& s, std::wstring& red, std::wstring& blue) {
  red = s.Photo(L"red.jpg", 0xFFFF0000);
  blue = s.Photo(L"blue.jpg", 0xFF0000FF);
  WriteImageList(s.ListFile(), {red, blue});
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.WaitCount(2));
}

TEST(MainView, WhenTheSessionEndsThePhotoListIsWrittenBeforeTheFrameAnswers) {
  ViewSession s;
  std::wstring red, blue;
  ASSERT_NO_FATAL_FAILURE(StartWithRedAndBlue(s, red, blue));
  ASSERT_TRUE(::DeleteFileW(s.ListFile().c_str()));
  EndSession(s.frame, s.program().Pid());
  EXPECT_EQ(Records(ReadFileBytes(s.ListFile())), (std::vector<std::string>{Narrow(red), Narrow(blue)}));
}

// An installer that asks the program to close (the Restart Manager's end
// of the session) ends it: the list written, no question. An end that was
// cancelled changes nothing.
TEST(MainView, AnInstallersCloseEndsTheProgramWithItsListAndACancelledEndChangesNothing) {
  ViewSession s;
  std::wstring red, blue;
  ASSERT_NO_FATAL_FAILURE(StartWithRedAndBlue(s, red, blue));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      ::SendMessageTimeoutW(s.frame, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, TRUE);
  ASSERT_TRUE(
      ::SendMessageTimeoutW(s.frame, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_FALSE(s.program().WaitExit(1000)) << "cancelled: the program runs on";
  RECT first{};
  ::GetWindowRect(s.drift, &first);
  EXPECT_TRUE(WaitUntil(
      [&] {
        RECT now{};
        ::GetWindowRect(s.drift, &now);
        return !::EqualRect(&first, &now);
      },
      3000))
      << "and the photo drifts";

  ASSERT_TRUE(::DeleteFileW(s.ListFile().c_str()));
  ASSERT_TRUE(
      ::SendMessageTimeoutW(s.frame, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer));
  ASSERT_TRUE(
      ::SendMessageTimeoutW(s.frame, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 15000, &answer));
  EXPECT_EQ(Records(ReadFileBytes(s.ListFile())), (std::vector<std::string>{Narrow(red), Narrow(blue)}))
      << "written before the frame answered";
  EXPECT_FALSE(WaitMessageBox(s.program().Pid(), 1000)) << "no exit question";
  EXPECT_TRUE(s.program().WaitExit(10000)) << "the program ends by itself";
}

TEST(MainView, EveryChangeToTheListIsWrittenWithinSecondsSoThatAKillLosesNothing) {
  ViewSession s;
  std::wstring red, blue;
  ASSERT_NO_FATAL_FAILURE(StartWithRedAndBlue(s, red, blue));
  const auto onDisk = [&] { return Records(ReadFileBytes(s.ListFile())); };
  const std::wstring green = s.Photo(L"green.jpg", 0xFF00FF00);
  ASSERT_TRUE(s.DropOnList({green}));
  ASSERT_TRUE(s.WaitCount(3));
  const std::vector<std::string> dropped{Narrow(red), Narrow(blue), Narrow(green)};
  EXPECT_TRUE(WaitUntil([&] { return onDisk() == dropped; }, 6000)) << "a drop";
  // The first row is selected since the start: Delete removes it.
  ASSERT_TRUE(s.Click(s.Control(ids::kRemove)));
  s.Answer(IDYES);
  ASSERT_TRUE(s.WaitCount(2));
  const std::vector<std::string> deleted{Narrow(blue), Narrow(green)};
  EXPECT_TRUE(WaitUntil([&] { return onDisk() == deleted; }, 6000)) << "a deletion";
  s.program().Kill();
  EXPECT_EQ(onDisk(), deleted);
}

TEST(MainView, RowClicksToggleTheSelectionAndTheDriftingWindowFollows) {
  ViewSession s;
  std::wstring red, blue;
  ASSERT_NO_FATAL_FAILURE(StartWithRedAndBlue(s, red, blue));
  // Ripple needs room around the 128 x 96 photo; the plain photo is the
  // photo's own size; 64 makes it smaller.
  auto driftSize = [&] {
    RECT r{};
    ::GetWindowRect(s.drift, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  EXPECT_TRUE(WaitUntil([&] { return driftSize().cx == 128 * 7 / 5 && driftSize().cy == 96 * 7 / 5; }, 5000));
  ASSERT_TRUE(s.Click(s.Control(ids::kTypeFirst)));
  EXPECT_TRUE(WaitUntil([&] { return driftSize().cx == 128 && driftSize().cy == 96; }, 5000));
  ASSERT_TRUE(s.Click(s.Control(ids::kSizeFirst + 1)));
  EXPECT_TRUE(WaitUntil([&] { return driftSize().cx == 64 && driftSize().cy == 48; }, 5000));
  // Switched every second.
  ASSERT_TRUE(s.Click(s.Control(ids::kIntervalFirst)));
  ASSERT_TRUE(WaitUntil(
      [&] { return ::SendMessageW(s.Control(ids::kIntervalFirst), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));

  auto seen = [&](DWORD ms) {
    bool r = false, b = false;
    WaitUntil(
        [&] {
          const COLORREF c = DriftColour(s.drift);
          r = r || Reddish(c);
          b = b || Bluish(c);
          return false;
        },
        ms);
    return std::make_pair(r, b);
  };
  auto only = seen(2500);
  EXPECT_TRUE(only.first);
  EXPECT_FALSE(only.second) << "only the selected red photo drifts";

  ASSERT_TRUE(s.ClickRow(1));
  ASSERT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{0, 1}; }, 5000));
  auto both = seen(3500);
  EXPECT_TRUE(both.first && both.second) << "both photos alternate";

  ASSERT_TRUE(s.ClickRow(0));
  ASSERT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{1}; }, 5000));
  // Once the blue photo shows, the red one must never come back.
  ASSERT_TRUE(WaitUntil([&] { return Bluish(DriftColour(s.drift)); }, 5000));
  auto blueOnly = seen(2500);
  EXPECT_FALSE(blueOnly.first);
  EXPECT_TRUE(blueOnly.second) << "the deselected photo is dropped at once";
  EXPECT_TRUE(s.Exit());
}

TEST(MainView, DeleteAndDeleteAllAskFirstAndSayWhatIsMissing) {
  ViewSession s;
  ASSERT_TRUE(s.Start());
  const std::wstring addFirst = Japanese() ? L"画像をドラッグアンドドロップで追加してから、この操作を行ってください。"
                                           : L"You can do this operation after you add jmages.";
  const std::wstring noSelection =
      Japanese() ? L"画像が選択されていません。\n画像をクリックして選択してください。" : L"No images are selected.";
  const std::wstring sure = Japanese() ? L"本当に操作対象から外しますか？" : L"Are you sure to delete?";
  for (int id : {ids::kSave, ids::kRemove, ids::kRemoveAll}) {
    ASSERT_TRUE(s.Click(s.Control(id)));
    EXPECT_EQ(s.Answer(IDOK), addFirst) << id;
  }
  ASSERT_TRUE(
      s.DropOnList({s.Photo(L"a.jpg", 0xFFFF0000), s.Photo(L"b.jpg", 0xFF00FF00), s.Photo(L"c.jpg", 0xFF0000FF)}));
  ASSERT_TRUE(s.WaitCount(3));
  ASSERT_TRUE(s.ClickRow(0));
  ASSERT_TRUE(WaitUntil([&] { return s.Selected().empty(); }, 5000));
  for (int id : {ids::kSave, ids::kRemove}) {
    ASSERT_TRUE(s.Click(s.Control(id)));
    EXPECT_EQ(s.Answer(IDOK), noSelection) << id;
  }
  // Delete All needs no selection; No removes nothing.
  ASSERT_TRUE(s.Click(s.Control(ids::kRemoveAll)));
  EXPECT_EQ(s.Answer(IDNO), sure);
  EXPECT_EQ(s.Count(), 3);
  // Delete removes the selected photos only.
  ASSERT_TRUE(s.ClickRow(1));
  ASSERT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{1}; }, 5000));
  ASSERT_TRUE(s.Click(s.Control(ids::kRemove)));
  EXPECT_EQ(s.Answer(IDYES), sure);
  ASSERT_TRUE(s.WaitCount(2));
  EXPECT_TRUE(s.Selected().empty());
  ASSERT_TRUE(s.Click(s.Control(ids::kRemoveAll)));
  EXPECT_EQ(s.Answer(IDYES), sure);
  ASSERT_TRUE(s.WaitCount(0));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(s.Hint()) != FALSE; }, 5000)) << "the drop hint is back";
  EXPECT_TRUE(s.Exit());
  EXPECT_EQ(ReadFileBytes(s.ListFile()).size(), 0u);
}

// The save dialog of the process, once it shows.
HWND WaitSaveDialog(DWORD pid) {
  HWND dialog = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : FindWindows(pid, L"", L"#32770")) {
          if (::IsWindowVisible(h) && !::GetDlgItem(h, 0xFFFF) && ::GetDlgItem(h, IDOK)) dialog = h;
        }
        return dialog != nullptr;
      },
      15000);
  return dialog;
}

// The first edit control in or below `parent`.
HWND FindEdit(HWND parent) {
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    ::GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, L"Edit") == 0) return c;
    if (HWND inner = FindEdit(c)) return inner;
  }
  return nullptr;
}

// The file name box of the save dialog: an edit control, inside a combo
// box in the newer style.
HWND FileNameBox(HWND dialog) {
  for (int id : {0x47c, 0x480}) {
    HWND c = ::GetDlgItem(dialog, id);
    if (!c) continue;
    wchar_t cls[32] = {};
    ::GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, L"Edit") == 0) return c;
    if (HWND edit = FindEdit(c)) return edit;
  }
  return nullptr;
}

// Answers the save dialog that Save opened with a file in `target` named
// `name`, and the message that says it is done; the show's bytes (empty
// when something did not come).
std::vector<std::uint8_t> SaveShowIn(ViewSession& s, const fixtures::TempFolder& target, const std::wstring& name) {
  HWND dialog = WaitSaveDialog(s.program().Pid());
  HWND box = dialog ? FileNameBox(dialog) : nullptr;
  if (!box) return {};
  const std::wstring chosen = target.path() + name;
  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(s.Answer(IDOK), Japanese() ? L"処理が完了しました。" : L"The process has been completed.");
  // The default extension is added.
  return ReadFileBytes(chosen + L".K3DLT");
}

TEST(MainView, SaveWritesTheSelectedPhotosAndTheChosenSettings) {
  ViewSession s;
  std::wstring a, b, c;
  ASSERT_TRUE(s.StartWithThree(a, b, c));
  ASSERT_TRUE(s.ClickRow(2));
  ASSERT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{0, 2}; }, 5000));
  // The list asked by another program (as a screen reader may) to select
  // the second row and not the first: the drift shows the second photo
  // first (green), and Save packs the second and third.
  const auto driftCentre = [&] {
    RECT d{};
    ::GetWindowRect(s.drift, &d);
    return ScreenPixel((d.left + d.right) / 2, (d.top + d.bottom) / 2);
  };
  ASSERT_TRUE(WaitUntil([&] { return GetRValue(driftCentre()) > 200 && GetGValue(driftCentre()) < 60; }, 10000))
      << "the first photo, red, drifts";
  EXPECT_EQ(::SendMessageW(s.Control(kList), LB_SETSEL, TRUE, 1), 0);
  EXPECT_EQ(::SendMessageW(s.Control(kList), LB_SETSEL, FALSE, 0), 0);
  EXPECT_EQ(s.Selected(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(WaitUntil([&] { return GetGValue(driftCentre()) > 200 && GetRValue(driftCentre()) < 60; }, 10000))
      << "the second photo, green, drifts";
  // Bottom-most first (the drifting window then stays out of the way of the
  // clicks), Wave, 256; the wave count thumb dragged to its right end.
  for (int id : {ids::kZOrderFirst, ids::kTypeFirst + 3, ids::kSizeFirst + 3}) {
    ASSERT_TRUE(s.Click(s.Control(id)));
    EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(s.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000)) << id;
  }
  HWND count = s.Control(ids::kWaveCountSlider);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(count) != FALSE; }, 5000));
  // The thumb at 10 of 1..20 sits a little left of the bar's middle (the
  // bar's rectangles cannot be asked for from another process).
  RECT bar{};
  ::GetWindowRect(count, &bar);
  const int y = (bar.top + bar.bottom) / 2;
  const int thumbX = bar.left + 13 + (bar.right - bar.left - 26) * (10 - 1) / (20 - 1);
  ASSERT_TRUE(MouseDrag(thumbX, y, bar.right + 40, y));
  EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(count, TBM_GETPOS, 0, 0) == 20; }, 5000));
  // A click beside the strength thumb moves it a page, and the show takes
  // the value shown.
  HWND strength = s.Control(ids::kStrengthSlider);
  RECT sb{};
  ::GetWindowRect(strength, &sb);
  const LRESULT before = ::SendMessageW(strength, TBM_GETPOS, 0, 0);
  ASSERT_TRUE(MouseClick(sb.right - 12, (sb.top + sb.bottom) / 2));
  EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(strength, TBM_GETPOS, 0, 0) != before; }, 5000));
  ::Sleep(300);  // the click's own moves end
  const LRESULT clickedTo = ::SendMessageW(strength, TBM_GETPOS, 0, 0);

  ASSERT_TRUE(s.Click(s.Control(ids::kSave)));
  fixtures::TempFolder target;
  // The package holds the selected photos byte for byte and the settings
  // chosen.
  const std::vector<std::uint8_t> package = SaveShowIn(s, target, L"show");
  const k3::ParsedPackage parsed = k3::ParsePackage(package.data(), package.size());
  ASSERT_EQ(parsed.status, k3::PackageStatus::Ok);
  ASSERT_EQ(parsed.records.size(), 2u);
  const std::vector<std::uint8_t> bytesB = ReadFileBytes(b), bytesC = ReadFileBytes(c);
  EXPECT_TRUE(std::equal(bytesB.begin(), bytesB.end(), package.begin() + parsed.records[0].offset));
  EXPECT_EQ(parsed.records[0].size, bytesB.size());
  EXPECT_TRUE(std::equal(bytesC.begin(), bytesC.end(), package.begin() + parsed.records[1].offset));
  const k3::DisplaySettings settings = k3::SettingsFromBytes(parsed.settings);
  EXPECT_EQ(settings.displayType, k3::kWave);
  EXPECT_EQ(settings.photoSize, 3);
  EXPECT_EQ(settings.zOrder, k3::kBottomMost);
  EXPECT_EQ(settings.frameInterval, 25) << "the checked Normal speed runs";
  EXPECT_EQ(settings.waveCount, 20) << "the thumb drag stored its value";
  EXPECT_EQ(static_cast<LRESULT>(settings.effectStrength), clickedTo)
      << "a click beside the thumb stores where it moved it";
  EXPECT_TRUE(s.Exit());
}

// Real keys through the X server, to the window Wine has focused.
bool Keys(const std::string& keys) { return RunUnixCommand("xdotool key --delay 60 " + keys) == 0; }

// The control of the program's interface thread that has the focus.
HWND FocusOf(HWND frame) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(frame, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Files put on the clipboard as Explorer's Copy puts them.
bool PutFilesOnClipboard(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& p : paths) list += p + L'\0';
  list += L'\0';
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
  if (!memory) return false;
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  if (!::OpenClipboard(nullptr)) {
    ::GlobalFree(memory);
    return false;
  }
  ::EmptyClipboard();
  const bool put = ::SetClipboardData(CF_HDROP, memory) != nullptr;
  if (!put) ::GlobalFree(memory);
  ::CloseClipboard();
  return put;
}

// From the keyboard alone: Tab reaches the list, the settings and the
// buttons in the order they appear; rows are chosen with the arrows and
// Space, a slider moved with End and an arrow, Save pressed with Space
// writes exactly those rows with that strength; Ctrl+A and Delete empty
// the list after the question; Ctrl+O and Ctrl+V add photos again.
TEST(MainView, TheKeyboardAloneChoosesRowsAndSettingsSavesAndDeletes) {
  ViewSession s;
  std::wstring a, b, c;
  ASSERT_TRUE(s.StartWithThree(a, b, c));
  // The frame active (a click on its title bar), the list has the focus.
  RECT frameBox{};
  ::GetWindowRect(s.frame, &frameBox);
  RECT title{frameBox.left + 200, frameBox.top + 2, frameBox.left + 400, frameBox.top + 14};
  const POINT onTitle = s.Clear(title);
  ASSERT_TRUE(MouseClick(onTitle.x, onTitle.y));
  HWND list = s.Control(kList);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(s.frame) == list; }, 5000)) << "the list has the focus at first";

  // Tab goes round every control once.
  std::vector<int> stops;
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(Keys("Tab"));
    HWND now = nullptr;
    WaitUntil([&] { return (now = FocusOf(s.frame)) != nullptr; }, 2000);
    if (now == list) break;
    stops.push_back(::GetDlgCtrlID(now));
  }
  const auto has = [&](int id) { return std::find(stops.begin(), stops.end(), id) != stops.end(); };
  EXPECT_GE(stops.size(), 8u);
  EXPECT_TRUE(std::any_of(stops.begin(), stops.end(), [](int id) {
    return id >= static_cast<int>(ids::kTypeFirst) && id < static_cast<int>(ids::kTypeFirst) + 5;
  }));
  for (int id : {ids::kStrengthSlider, ids::kSave, ids::kRemove, ids::kRemoveAll, ids::kClose}) {
    EXPECT_TRUE(has(id)) << id;
  }
  const auto at = [&](int id) { return std::find(stops.begin(), stops.end(), id) - stops.begin(); };
  EXPECT_LT(at(ids::kStrengthSlider), at(ids::kSave)) << "the settings before Save";
  EXPECT_LT(at(ids::kSave), at(ids::kRemove));
  EXPECT_LT(at(ids::kRemoveAll), at(ids::kClose)) << "the title bar's buttons last";
  ASSERT_EQ(FocusOf(s.frame), list) << "round to the list";

  // The second and third rows instead of the first.
  ASSERT_TRUE(Keys("Home space Down space Down space"));
  EXPECT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{1, 2}; }, 5000));
  // On the screen a selected row has its frame, an unselected none (where
  // the drifting photo does not cover them).
  const auto edgeOf = [&](int row) {
    const RECT r = s.Row(row);
    return POINT{r.left + 1, (r.top + r.bottom) / 2};
  };
  RECT drift{};
  ::GetWindowRect(s.drift, &drift);
  for (int row : {0, 1}) {
    const POINT p = edgeOf(row);
    if (::IsWindowVisible(s.drift) && ::PtInRect(&drift, p)) continue;
    EXPECT_TRUE(WaitUntil([&] { return (ScreenPixel(p.x, p.y) == k3::palette::kSelectionMark) == (row == 1); }, 3000))
        << "row " << row;
  }
  // To the strength slider: End, then one step back.
  const auto tabTo = [&](int id) {
    for (int i = 0; i < 30 && ::GetDlgCtrlID(FocusOf(s.frame)) != id; ++i) Keys("Tab");
    return ::GetDlgCtrlID(FocusOf(s.frame)) == id;
  };
  ASSERT_TRUE(tabTo(ids::kStrengthSlider));
  ASSERT_TRUE(Keys("End Left"));
  HWND strength = s.Control(ids::kStrengthSlider);
  EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(strength, TBM_GETPOS, 0, 0) == 299; }, 5000));
  // Save by its key.
  ASSERT_TRUE(tabTo(ids::kSave));
  ASSERT_TRUE(Keys("space"));
  fixtures::TempFolder target;
  const std::vector<std::uint8_t> package = SaveShowIn(s, target, L"keys");
  const k3::ParsedPackage parsed = k3::ParsePackage(package.data(), package.size());
  ASSERT_EQ(parsed.status, k3::PackageStatus::Ok);
  ASSERT_EQ(parsed.records.size(), 2u);
  EXPECT_EQ(parsed.records[0].size, ReadFileBytes(b).size());
  EXPECT_EQ(parsed.records[1].size, ReadFileBytes(c).size());
  EXPECT_EQ(k3::SettingsFromBytes(parsed.settings).effectStrength, 299) << "End and an arrow are stored";

  // Every row, then Delete: the question, and the list is empty.
  ASSERT_TRUE(tabTo(kList));
  ASSERT_TRUE(Keys("ctrl+a"));
  EXPECT_TRUE(WaitUntil([&] { return s.Selected() == std::vector<int>{0, 1, 2}; }, 5000));
  ASSERT_TRUE(Keys("Delete"));
  EXPECT_EQ(s.Answer(IDYES), Japanese() ? L"本当に操作対象から外しますか？" : L"Are you sure to delete?");
  EXPECT_TRUE(s.WaitCount(0));

  // Photos by Ctrl+O, the system's open dialog, and by Ctrl+V, files
  // copied as Explorer copies them (the one listed already once).
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(s.frame) == list; }, 5000)) << "the focus is back on the list";
  ASSERT_TRUE(Keys("ctrl+o"));
  HWND open = WaitSaveDialog(s.program().Pid());
  ASSERT_TRUE(open);
  HWND openName = FileNameBox(open);
  ASSERT_TRUE(openName);
  ::SendMessageW(openName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.c_str()));
  ::SendMessageW(::GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(s.WaitCount(1));
  ASSERT_TRUE(PutFilesOnClipboard({a, b, c}));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(s.frame) != nullptr; }, 5000));
  ASSERT_TRUE(Keys("ctrl+v"));
  EXPECT_TRUE(s.WaitCount(3)) << "the two not listed yet are added";
  EXPECT_TRUE(s.Exit());
}

// The drift under the user's hand in normal mode. A real click on the
// photo leaves the main window the active one (stacking orders Top and
// Normal); Ctrl+Alt+P with the main window focused stops the photo and
// starts it again; the icon's commands, through the window that owns the
// icon, hide and show the photos, show the minimised main window and exit
// with the exit question.
TEST(MainView, ThePhotoLeavesTheFocusAloneAndThePauseKeyAndTheIconsMenuHoldIt) {
  ViewSession s;
  std::wstring red, blue;
  ASSERT_NO_FATAL_FAILURE(StartWithRedAndBlue(s, red, blue));
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(s.drift); }, 5000));
  const auto box = [&] {
    RECT r{};
    ::GetWindowRect(s.drift, &r);
    return r;
  };
  const auto same = [](const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; };
  const auto moves = [&](DWORD ms) {
    const RECT first = box();
    return WaitUntil([&] { return !same(first, box()); }, ms);
  };
  for (UINT order : {ids::kZOrderFirst + 2, ids::kZOrderFirst + 1}) {
    ASSERT_TRUE(s.Click(s.Control(order)));
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == s.frame; }, 3000));
    const RECT at = box();
    ASSERT_TRUE(MouseClick((at.left + at.right) / 2, (at.top + at.bottom) / 2));
    EXPECT_FALSE(WaitUntil([&] { return ::GetForegroundWindow() != s.frame; }, 1500))
        << "the main window stays the active one: order " << order;
  }

  ASSERT_TRUE(moves(3000));
  ASSERT_TRUE(Keys("ctrl+alt+p"));
  ::Sleep(300);
  EXPECT_FALSE(moves(3000)) << "paused";
  ASSERT_TRUE(Keys("ctrl+alt+p"));
  EXPECT_TRUE(moves(3000)) << "going again";

  constexpr WPARAM kHide = 0x7102, kMainWindow = 0x7103, kExit = 0x7104;
  ::SendMessageW(s.frame, WM_COMMAND, kHide, 0);
  EXPECT_FALSE(::IsWindowVisible(s.drift));
  ::SendMessageW(s.frame, WM_COMMAND, kHide, 0);
  EXPECT_TRUE(::IsWindowVisible(s.drift));
  ::ShowWindow(s.frame, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(s.frame) != FALSE; }, 3000));
  ::SendMessageW(s.frame, WM_COMMAND, kMainWindow, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(s.frame) && ::IsWindowVisible(s.frame); }, 3000));
  ::PostMessageW(s.frame, WM_COMMAND, kExit, 0);
  const auto question = WaitMessageBox(s.program().Pid());
  ASSERT_TRUE(question) << "Exit asks as the close button does";
  PressButton(question->hwnd, IDYES);
  EXPECT_TRUE(s.program().WaitExit(15000));
}

TEST(MainView, DraggingMovesAndResizesTheFrameNeverBelowItsMinimum) {
  ViewSession s;
  ASSERT_TRUE(s.Start());
  RECT start{};
  ::GetWindowRect(s.frame, &start);
  // The view's background below the settings panel moves the frame.
  POINT from{start.left + 600, start.top + 480};
  ASSERT_TRUE(MouseDrag(from.x, from.y, from.x - 60, from.y - 40));
  RECT moved{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(s.frame, &moved);
        return moved.left == start.left - 60 && moved.top == start.top - 40;
      },
      5000));
  EXPECT_EQ(moved.right - moved.left, 800);

  // The bottom-right corner makes it larger, and never smaller than the
  // minimum; the top-left corner stays.
  ASSERT_TRUE(MouseDrag(moved.right - 4, moved.bottom - 4, moved.right + 96, moved.bottom + 76));
  RECT grown{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(s.frame, &grown);
        return grown.right - grown.left == 900 && grown.bottom - grown.top == 680;
      },
      5000));
  EXPECT_EQ(grown.left, moved.left);
  EXPECT_EQ(grown.top, moved.top);
  // The view follows and lays its controls out again.
  EXPECT_TRUE(WaitUntil(
      [&] {
        RECT client{};
        ::GetClientRect(s.view, &client);
        return client.right == 900 && RectIn(s.view, s.Control(ids::kClose)).left == 900 - 25;
      },
      5000));
  ASSERT_TRUE(MouseDrag(grown.right - 4, grown.bottom - 4, grown.right - 304, grown.bottom - 304));
  RECT shrunk{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(s.frame, &shrunk);
        return shrunk.right - shrunk.left == 800 && shrunk.bottom - shrunk.top == 600;
      },
      5000));
  EXPECT_EQ(shrunk.left, grown.left);

  // The left edge dragged to the right stops at the minimum; the right edge
  // does not move.
  ASSERT_TRUE(MouseDrag(shrunk.left + 3, shrunk.top + 300, shrunk.left + 203, shrunk.top + 300));
  // The sign that the program handled it: the next drag, of the same edge
  // 50 pixels to the left, grows the frame to 850 (the mouse is handled in
  // order). Had the first drag moved the edge, the second would miss it.
  ASSERT_TRUE(MouseDrag(shrunk.left + 3, shrunk.top + 300, shrunk.left - 47, shrunk.top + 300));
  RECT edge{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(s.frame, &edge);
        return edge.right - edge.left == 850;
      },
      5000))
      << "width " << edge.right - edge.left;
  EXPECT_EQ(edge.left, shrunk.left - 50);
  EXPECT_EQ(edge.right, shrunk.right) << "the right edge never moved";
  EXPECT_TRUE(s.Exit());
}

TEST(MainView, CloseMinimiseAndWebPageButtons) {
  ViewSession s;
  // The browser stand-in, made for this test in its own folder, records the
  // address it is given.
  fixtures::TempFolder record;
  const std::wstring log = record.path() + L"browser.log";
  const std::wstring script = record.path() + L"browser.sh";
  const std::string unixLog = UnixPath(log), unixScript = UnixPath(script);
  ASSERT_FALSE(unixLog.empty());
  ASSERT_EQ(RunUnixCommand("sed 's|\\$K3_BROWSER_RECORD|" + unixLog + "|' '" K3_TEST_TOOLS "/record-browser.sh' > '" +
                           unixScript + "' && chmod +x '" + unixScript + "'"),
            0);
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring browsers(unixScript.begin(), unixScript.end());
  ::RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browsers.c_str()),
                   static_cast<DWORD>((browsers.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);

  ASSERT_TRUE(s.Start());
  const std::wstring exitQuestion = Japanese() ? L"終了しますか？" : L"Are you sure to exit?";
  ASSERT_TRUE(s.Click(s.Control(ids::kClose)));
  EXPECT_EQ(s.Answer(IDNO), exitQuestion) << "the close button asks";
  EXPECT_TRUE(s.program().Running());

  auto recorded = [&] {
    std::vector<std::uint8_t> bytes = ReadFileBytes(log);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string vendor =
      Japanese() ? "http://www.kelvarstone.example/index.html\n" : "http://www.kelvarstone.example/index_e.html\n";
  const std::string product = Japanese() ? "http://www.kelvarstone.example/k3driftlet/k3driftlet.html\n"
                                         : "http://www.kelvarstone.example/k3driftlet/k3driftlet_e.html\n";
  ASSERT_TRUE(s.Click(s.Control(ids::kVendorPage)));
  EXPECT_TRUE(WaitUntil([&] { return recorded() == vendor; }, 15000)) << recorded();
  ASSERT_TRUE(s.Click(s.Control(ids::kProductPage)));
  EXPECT_TRUE(WaitUntil([&] { return recorded() == vendor + product; }, 15000)) << recorded();
  ::PostMessageW(s.view, WM_KEYDOWN, VK_F1, 0);
  EXPECT_TRUE(WaitUntil([&] { return recorded() == vendor + product + product; }, 15000))
      << "F1 opens the product page";

  ASSERT_TRUE(s.Click(s.Control(ids::kMinimize)));
  EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(s.frame) != FALSE; }, 5000));
  EXPECT_TRUE(s.Exit());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser");
}

// The pixels of `text` drawn black on white in `font`, one picture per
// character.
std::vector<std::vector<COLORREF>> CharacterPictures(HFONT font, const std::wstring& text) {
  std::vector<std::vector<COLORREF>> out;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, 32, 32);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = ::SelectObject(dc, bmp);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  for (wchar_t ch : text) {
    RECT r{0, 0, 32, 32};
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, &ch, 1, &r, DT_LEFT | DT_TOP | DT_NOPREFIX);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) pixels.push_back(::GetPixel(dc, x, y));
    out.push_back(std::move(pixels));
  }
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldBmp);
  ::DeleteObject(bmp);
  ::DeleteDC(dc);
  return out;
}

// How many different pictures the characters of a text give: a font
// without the glyphs draws the same empty box for each.
std::size_t DistinctPictures(HFONT font, const std::wstring& text) {
  auto pictures = CharacterPictures(font, text);
  std::sort(pictures.begin(), pictures.end());
  return static_cast<std::size_t>(std::unique(pictures.begin(), pictures.end()) - pictures.begin());
}

std::size_t InkPixels(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  HDC screen = ::GetDC(nullptr);
  std::size_t ink = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = ::GetPixel(screen, x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) ++ink;
    }
  ::ReleaseDC(nullptr, screen);
  return ink;
}

// The rows of `window`'s screen pixels that carry ink.
int InkRows(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  const std::vector<COLORREF> pixels = ScreenPixels(r);
  const int w = r.right - r.left;
  int rows = 0;
  for (int y = 0; y < r.bottom - r.top; ++y) {
    const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * w;
    rows += std::any_of(row, row + w, [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; });
  }
  return rows;
}

// Run in a session at 144 DPI (scripts/test.sh starts one).
TEST(MainView, AtHighDpiTheFrameItsTextsAndThumbnailsAreDrawnAtTheScreensPixels) {
  if (SessionDpi() != 144) GTEST_SKIP() << "runs in a session at 144 DPI";
  ViewSession s;
  WriteImageList(s.ListFile(), {s.Photo(L"wide.jpg", 0xFFE02020, 300, 200)});
  ASSERT_TRUE(s.Start());
  RECT frame{};
  ::GetWindowRect(s.frame, &frame);
  EXPECT_EQ(frame.right - frame.left, 1200);
  EXPECT_EQ(frame.bottom - frame.top, 900);
  // The layout at 150 per cent: the close button's 17 pixels are 26.
  RECT close{};
  ::GetWindowRect(s.Control(ids::kClose), &close);
  EXPECT_EQ(close.right - close.left, 26);
  // Texts at the screen's size: the label's bold letters of 24 pixels.
  HWND intervalLabel = nullptr;
  for (HWND c = ::GetWindow(s.view, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetDlgCtrlID(c) == 0xFFFF && WindowText(c) == (Japanese() ? L"画像送り" : L"Interval")) intervalLabel = c;
  }
  ASSERT_TRUE(intervalLabel);
  EXPECT_GE(InkRows(intervalLabel), 15) << "at 96 DPI the letters are about 11 rows high";
  // A row of 150 pixels with its thumbnail in a square of 144: the red
  // 300 x 200 photo is 144 x 96.
  ASSERT_TRUE(s.WaitCount(1));
  const RECT row = s.Row(0);
  EXPECT_EQ(row.bottom - row.top, 150);
  int redWidth = 0, redHeight = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::vector<COLORREF> pixels = ScreenPixels(row);
        const int w = row.right - row.left;
        int left = w, right = -1, top = INT_MAX, bottom = -1;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
          const COLORREF c = pixels[i];
          if (GetRValue(c) < 180 || GetGValue(c) > 90 || GetBValue(c) > 90) continue;
          const int x = static_cast<int>(i) % w, y = static_cast<int>(i) / w;
          left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
        redWidth = right - left + 1, redHeight = bottom - top + 1;
        return redWidth == 144 && redHeight == 96;
      },
      10000))
      << redWidth << " x " << redHeight;
  RunUnixCommand("mkdir -p '" K3_TEST_TOOLS "/../../../build/screenshots' && import -window root '" K3_TEST_TOOLS
                 "/../../../build/screenshots/main-window-144dpi-" +
                 std::string(Japanese() ? "ja" : "en") + ".png'");
}

TEST(MainView, TextsShowAsGlyphsOfTheEditionsFonts) {
  // The faces the program asks for resolve to installed fonts that have
  // the edition's glyphs: the view's face and the message box font.
  const wchar_t* face = Japanese() ? L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF" : L"Arial";
  HFONT viewFont = ::CreateFontW(16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  HFONT boxFont = ::CreateFontIndirectW(&metrics.lfMessageFont);
  const std::wstring label = Japanese() ? L"\u753B\u50CF\u9001\u308A" : L"Interval";                // 画像送り
  const std::wstring question = Japanese() ? L"\u7D42\u4E86\u3057\u307E\u3059\u304B" : L"Exitsur";  // 終了しますか
  EXPECT_EQ(DistinctPictures(viewFont, label), label.size()) << "view font";
  std::wstring uniqueQuestion = question;
  std::sort(uniqueQuestion.begin(), uniqueQuestion.end());
  uniqueQuestion.erase(std::unique(uniqueQuestion.begin(), uniqueQuestion.end()), uniqueQuestion.end());
  EXPECT_EQ(DistinctPictures(boxFont, uniqueQuestion), uniqueQuestion.size()) << "message box font";
  ::DeleteObject(viewFont);
  ::DeleteObject(boxFont);

  // On the screen: the label and the exit question carry ink, drawn by the
  // program itself.
  ViewSession s;
  ASSERT_TRUE(s.Start());
  HWND intervalLabel = nullptr;
  for (HWND c = ::GetWindow(s.view, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetDlgCtrlID(c) == 0xFFFF && WindowText(c) == (Japanese() ? L"画像送り" : L"Interval")) intervalLabel = c;
  }
  ASSERT_TRUE(intervalLabel);
  EXPECT_GT(InkPixels(intervalLabel), 40u);
  ::PostMessageW(s.frame, WM_CLOSE, 0, 0);
  auto box = WaitMessageBox(s.program().Pid());
  ASSERT_TRUE(box);
  EXPECT_TRUE(WaitUntil([&] { return InkPixels(::GetDlgItem(box->hwnd, 0xFFFF)) > 40u; }, 5000))
      << "the question's text is drawn";
  RunUnixCommand("mkdir -p '" K3_TEST_TOOLS "/../../../build/screenshots' && import -window root '" K3_TEST_TOOLS
                 "/../../../build/screenshots/exit-question-" +
                 std::string(Japanese() ? "ja" : "en") + ".png'");
  PressButton(box->hwnd, IDYES);
  EXPECT_TRUE(s.program().WaitExit(15000));
}

}  // namespace
