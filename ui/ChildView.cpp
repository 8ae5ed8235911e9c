#include "ui/ChildView.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>

#include "desktop/DisplaySettings.h"
#include "files/FileUtils.h"
#include "files/Package.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "imaging/Geometry.h"
#include "imaging/ImageOps.h"
#include "imaging/Thumbnails.h"
#include "res/resource.h"
#include "ui/DragLoops.h"
#include "ui/ImageListStore.h"
#include "ui/ViewLayout.h"
#include "ui/ViewResources.h"
#include "ui/ViewRules.h"
#include "update/PackageDialogs.h"
#include "update/Updater.h"
#include "update/ProgressDlg.h"

namespace k3 {

namespace {

constexpr wchar_t kViewClass[] = L"K3DriftletView";
constexpr UINT kLabelId = 0xFFFF;
constexpr int kIconCell = 17;

// The text of a pair (Japanese at `pair`, English at `pair` + 1).
std::wstring PairText(UINT pair) { return LoadResString(PickText(pair, pair + 1)); }

void Place(fw::CWnd* control, const Rect& r) {
  if (!control || !control->m_hWnd) return;
  ::MoveWindow(control->m_hWnd, r.left, r.top, r.Width(), r.Height(), TRUE);
  ::InvalidateRect(control->m_hWnd, nullptr, TRUE);
}

template <std::size_t N>
void PlaceAll(std::array<std::unique_ptr<fw::CWnd>, N>& controls, const std::array<Rect, N>& rects) {
  for (std::size_t i = 0; i < N; ++i) Place(controls[i].get(), rects[i]);
}

template <std::size_t N>
bool Holds(const std::array<std::unique_ptr<fw::CWnd>, N>& controls, HWND hwnd) {
  return std::any_of(controls.begin(), controls.end(), [&](const auto& c) { return c && c->m_hWnd == hwnd; });
}

bool Is(const std::unique_ptr<fw::CWnd>& control, HWND hwnd) { return control && control->m_hWnd == hwnd; }

void Destroy(std::unique_ptr<fw::CWnd>& control) {
  if (control) control->DestroyWindow();
  control.reset();
}

template <std::size_t N>
void DestroyAll(std::array<std::unique_ptr<fw::CWnd>, N>& controls) {
  for (auto& c : controls) Destroy(c);
}

void SetTrackbar(fw::CWnd* bar, bool shown, int low, int high, int position) {
  if (!bar || !bar->m_hWnd) return;
  if (shown) {
    bar->SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    bar->SendMessage(TBM_SETPOS, TRUE, position);
  }
  ::ShowWindow(bar->m_hWnd, shown ? SW_SHOW : SW_HIDE);
}

// Keeps a list from redrawing row by row during a long import, yet shows
// what has arrived twice a second (the first photo at once).
class BatchedRedraw {
 public:
  explicit BatchedRedraw(fw::CListBox& list) : list_(list) { list_.SetRedraw(false); }
  ~BatchedRedraw() {
    list_.SetRedraw(true);
    ::InvalidateRect(list_.m_hWnd, nullptr, TRUE);
  }
  BatchedRedraw(const BatchedRedraw&) = delete;
  BatchedRedraw& operator=(const BatchedRedraw&) = delete;

  void RowsAdded() {
    const ULONGLONG now = ::GetTickCount64();
    if (shown_ && now - last_ < 500) return;
    shown_ = true;
    last_ = now;
    list_.SetRedraw(true);
    ::RedrawWindow(list_.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    list_.SetRedraw(false);
  }

 private:
  fw::CListBox& list_;
  ULONGLONG last_ = 0;
  bool shown_ = false;
};

}  // namespace

CChildView::CChildView(const ViewContext& context)
    : context_(context), panelBrush(::CreateSolidBrush(kPanelColour)), listBrush(::CreateSolidBrush(kListColour)) {}

CChildView::~CChildView() {
  if (m_hWnd) DestroyWindow();
}

BOOL CChildView::CreateView(HWND frame) {
  return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER, RECT{0, 0, 0, 0}, frame,
                  0xE900);
}

BOOL CChildView::PreCreateWindow(CREATESTRUCTW& cs) {
  cs.style &= ~static_cast<DWORD>(WS_BORDER);
  cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  // No cursor (the view sets it on every move) and a hollow background:
  // nothing is erased, every pixel comes from the back buffer.
  className_ = fw::RegisterNamedWndClass(kViewClass, 0, nullptr, static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)));
  cs.lpszClass = className_.c_str();
  return TRUE;
}

LRESULT CChildView::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CWnd::WindowProc(msg, wp, lp) == -1) return -1;
  if (listFilePath.empty()) listFilePath = GetModuleFolder() + L"IMG.DAT";
  ::DragAcceptFiles(m_hWnd, TRUE);
  BuildControls();
  PostMessage(WM_LOAD_IMAGE_LIST);
  return 0;
}

std::unique_ptr<fw::CWnd> CChildView::MakeButton(UINT id) {
  auto button = std::make_unique<fw::CWnd>();
  if (!button->CreateControl(L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{0, 0, 0, 0}, m_hWnd, id)) {
    return nullptr;
  }
  return button;
}

std::unique_ptr<fw::CWnd> CChildView::MakeLabel(UINT textPair) {
  auto label = std::make_unique<fw::CWnd>();
  if (!label->CreateControl(L"STATIC", PairText(textPair).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, RECT{0, 0, 0, 0},
                            m_hWnd, kLabelId)) {
    return nullptr;
  }
  label->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(boldFont.get()), FALSE);
  return label;
}

std::unique_ptr<fw::CWnd> CChildView::MakeRadio(UINT id, const std::wstring& text, bool firstOfGroup) {
  auto radio = std::make_unique<fw::CWnd>();
  const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_VCENTER | (firstOfGroup ? WS_GROUP : 0);
  if (!radio->CreateControl(L"BUTTON", text.c_str(), style, RECT{0, 0, 0, 0}, m_hWnd, id)) return nullptr;
  radio->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(normalFont.get()), FALSE);
  return radio;
}

void CChildView::BuildControls() {
  const bool japanese = IsJapaneseSystem();
  saveImage = LoadImageResource(japanese ? IDR_SAVE_IMAGE_JA : IDR_SAVE_IMAGE_EN);
  removeImage = LoadImageResource(japanese ? IDR_REMOVE_IMAGE_JA : IDR_REMOVE_IMAGE_EN);
  iconImage = LoadImageResource(IDR_ICON_IMAGE);
  titleActive_ = LoadBitmapResource(IDB_TITLE_ACTIVE);
  titleInactive_ = LoadBitmapResource(IDB_TITLE_INACTIVE);
  corner_ = LoadBitmapResource(IDB_CORNER);

  vendorPageButton = MakeButton(kVendorPage);
  // Every button and radio button of the program shows the hand.
  if (vendorPageButton) {
    ::SetClassLongPtrW(vendorPageButton->m_hWnd, GCLP_HCURSOR,
                       reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));
  }
  productPageButton = MakeButton(kProductPage);
  updateButton = MakeButton(kUpdate);
  minimizeButton = MakeButton(kMinimize);
  closeButton = MakeButton(kClose);
  saveButton = MakeButton(kSave);

  imageList = std::make_unique<CImgList>();
  if (!imageList->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | LBS_NOTIFY | LBS_MULTIPLESEL |
                             LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                         RECT{0, 0, 0, 0}, m_hWnd, kImageList)) {
    imageList.reset();
  }

  helpWindow = std::make_unique<CHelpWnd>(PickText(IDS_DROP_HINT_JA, IDS_DROP_HINT_EN));
  if (!helpWindow->CreateHint(m_hWnd, m_hWnd)) helpWindow.reset();

  removeButton = MakeButton(kRemove);
  removeAllButton = MakeButton(kRemoveAll);

  normalFont = MakeViewFont(16, FW_NORMAL);
  boldFont = MakeViewFont(16, FW_BOLD);

  // The settings panel, in creation order.
  typeLabel = MakeLabel(IDS_TYPE_LABEL);
  const UINT typeTexts[5] = {IDS_TYPE_PHOTO, IDS_TYPE_SPHERE, IDS_TYPE_RIPPLE, IDS_TYPE_WAVE, IDS_TYPE_ROTATE};
  for (int i = 0; i < 5; ++i) typeRadios[i] = MakeRadio(kTypeFirst + i, PairText(typeTexts[i]), i == 0);
  for (auto* bar : {&strengthSlider, &waveCountSlider}) {
    *bar = std::make_unique<fw::CWnd>();
    const UINT id = bar == &strengthSlider ? kStrengthSlider : kWaveCountSlider;
    if (!(*bar)->CreateControl(TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_HORZ, RECT{0, 0, 0, 0}, m_hWnd, id)) {
      bar->reset();
    }
  }
  speedLabel = MakeLabel(IDS_SPEED_LABEL);
  const UINT speedTexts[3] = {IDS_SPEED_SLOW, IDS_SPEED_NORMAL, IDS_SPEED_FAST};
  for (int i = 0; i < 3; ++i) speedRadios[i] = MakeRadio(kSpeedFirst + i, PairText(speedTexts[i]), i == 0);
  sizeLabel = MakeLabel(IDS_SIZE_LABEL);
  const wchar_t* sizeTexts[5] = {L"32", L"64", L"128", L"256", L"512"};
  for (int i = 0; i < 5; ++i) sizeRadios[i] = MakeRadio(kSizeFirst + i, sizeTexts[i], i == 0);
  zOrderLabel = MakeLabel(IDS_ZORDER_LABEL);
  const UINT zOrderTexts[3] = {IDS_ZORDER_BOTTOM, IDS_ZORDER_NORMAL, IDS_ZORDER_TOP};
  for (int i = 0; i < 3; ++i) zOrderRadios[i] = MakeRadio(kZOrderFirst + i, PairText(zOrderTexts[i]), i == 0);
  intervalLabel = MakeLabel(IDS_INTERVAL_LABEL);
  for (int i = 0; i < 9; ++i) {
    intervalRadios[i] = MakeRadio(kIntervalFirst + i, PairText(IDS_INTERVAL_FIRST + 2 * i), i == 0);
  }

  // The checks match the settings the drifting window runs with: Ripple,
  // 128, topmost, 5 seconds, and the Normal speed, which is applied here so
  // that the first step already runs at the checked speed.
  for (UINT id : {225u, 229u, 233u, 238u, 240u}) ::CheckDlgButton(m_hWnd, static_cast<int>(id), BST_CHECKED);
  context_.driftlet.SetSpeed(1);

  PlaceHelpWindow();
  LayoutControls();
}

void CChildView::DestroyControls() {
  Destroy(saveButton);
  if (imageList) imageList->DestroyWindow();
  imageList.reset();
  helpWindow.reset();
  Destroy(removeButton);
  Destroy(removeAllButton);
  Destroy(typeLabel);
  DestroyAll(typeRadios);
  Destroy(strengthSlider);
  Destroy(waveCountSlider);
  Destroy(speedLabel);
  DestroyAll(speedRadios);
  Destroy(sizeLabel);
  DestroyAll(sizeRadios);
  Destroy(zOrderLabel);
  DestroyAll(zOrderRadios);
  Destroy(intervalLabel);
  DestroyAll(intervalRadios);
  Destroy(vendorPageButton);
  Destroy(updateButton);
  Destroy(productPageButton);
  Destroy(minimizeButton);
  Destroy(closeButton);
  normalFont.reset();
  boldFont.reset();
  saveImage.reset();
  removeImage.reset();
  iconImage.reset();
  titleActive_.reset();
  titleInactive_.reset();
  corner_.reset();
}

void CChildView::LayoutControls() {
  if (!saveButton) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const ViewLayout l = LayoutView(client.right, client.bottom);
  Place(saveButton.get(), l.saveButton);
  Place(imageList.get(), l.imageList);
  Place(removeButton.get(), l.removeButton);
  Place(removeAllButton.get(), l.removeAllButton);
  Place(typeLabel.get(), l.typeLabel);
  PlaceAll(typeRadios, l.typeRadios);
  Place(strengthSlider.get(), l.strengthSlider);
  Place(waveCountSlider.get(), l.waveCountSlider);
  Place(speedLabel.get(), l.speedLabel);
  PlaceAll(speedRadios, l.speedRadios);
  Place(sizeLabel.get(), l.sizeLabel);
  PlaceAll(sizeRadios, l.sizeRadios);
  Place(zOrderLabel.get(), l.zOrderLabel);
  PlaceAll(zOrderRadios, l.zOrderRadios);
  Place(intervalLabel.get(), l.intervalLabel);
  PlaceAll(intervalRadios, l.intervalRadios);
  ApplyTrackbarRules();
  Place(closeButton.get(), l.closeButton);
  Place(minimizeButton.get(), l.minimizeButton);
  Place(productPageButton.get(), l.productPageButton);
  Place(vendorPageButton.get(), l.vendorPageButton);
  Place(updateButton.get(), l.updateButton);
}

void CChildView::ApplyTrackbarRules() {
  CDriftlet& d = context_.driftlet;
  const TrackbarRule rule = TrackbarRuleFor(d.settings.displayType);
  SetTrackbar(strengthSlider.get(), rule.strengthShown, rule.strengthMin, rule.strengthMax,
              rule.strengthShown ? d.GetEffectStrength() : 0);
  SetTrackbar(waveCountSlider.get(), rule.waveCountShown, rule.waveCountMin, rule.waveCountMax,
              rule.waveCountShown ? d.GetWaveCount() : 0);
}

void CChildView::PlaceHelpWindow() {
  if (!saveButton || !helpWindow || !helpWindow->m_hWnd) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const Rect r = HelpWindowRect(client.right, client.bottom);
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  ::SetWindowPos(helpWindow->m_hWnd, nullptr, r.left + origin.x, r.top + origin.y, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CChildView::RaiseHelpWindow() {
  if (!helpWindow || !helpWindow->m_hWnd || !::IsWindowVisible(helpWindow->m_hWnd)) return;
  // Through the topmost band and back: a real move of the window, so that
  // every layer of the window system learns it, yet it ends among the
  // ordinary windows, right over the main window that owns it.
  constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ::SetWindowPos(helpWindow->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, keep);
  ::SetWindowPos(helpWindow->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
}

void CChildView::ApplyDropHintRule() {
  if (!helpWindow || !helpWindow->m_hWnd) return;
  ::ShowWindow(helpWindow->m_hWnd, thumbs.empty() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

// ---------------------------------------------------------------------------
// Painting

void CChildView::OnPaint() {
  fw::PaintDc paint(m_hWnd);
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return;
  BackBuffer buffer;
  if (!CreateFilledBackBuffer(buffer, paint.get(), width, height, kPanelColour)) return;
  DrawHeader(buffer.dc(), width);
  if (corner_) corner_->Draw(buffer.dc(), 0, height - 34);
  DrawCounts(buffer.dc());
  ::BitBlt(paint.get(), 0, 0, width, height, buffer.dc(), 0, 0, SRCCOPY);
}

void CChildView::DrawHeader(HDC dc, int) {
  const bool active = context_.appActive;
  if (CImg* bar = active ? titleActive_.get() : titleInactive_.get()) bar->Draw(dc, 0, 0);
  fw::GdiFont titleFont = MakeViewFont(14, FW_BOLD);
  fw::GdiFont versionFont = MakeViewFont(12, FW_NORMAL);
  ::SetTextColor(dc, active ? RGB(64, 64, 72) : RGB(192, 192, 192));
  ::SetBkMode(dc, TRANSPARENT);
  SIZE extent{0, 0};
  {
    fw::SelectObjectScope selected(dc, titleFont.get());
    const std::wstring& title = context_.title;
    ::TextOutW(dc, 19, 8, title.c_str(), static_cast<int>(title.size()));
    ::GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &extent);
  }
  wchar_t version[64];
  swprintf(version, 64, L" Ver.%d.%d.%d.%d", static_cast<int>(HIWORD(context_.versionMS)),
           static_cast<int>(LOWORD(context_.versionMS)), static_cast<int>(HIWORD(context_.versionLS)),
           static_cast<int>(LOWORD(context_.versionLS)));
  fw::SelectObjectScope selected(dc, versionFont.get());
  ::TextOutW(dc, 19 + extent.cx, 10, version, static_cast<int>(wcslen(version)));
}

void CChildView::DrawCounts(HDC dc) {
  if (!m_hWnd) return;
  std::optional<fw::WindowDc> own;
  if (!dc) {
    own.emplace(m_hWnd);
    dc = own->get();
    if (!dc) return;
  }
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  fw::GdiFont font = MakeViewFont(12, FW_NORMAL);
  fw::SelectObjectScope selected(dc, font.get());
  ::SetTextColor(dc, RGB(88, 123, 194));
  ::SetBkColor(dc, kPanelColour);
  ::SetBkMode(dc, OPAQUE);
  const int selectedCount = imageList ? imageList->GetSelCount() : 0;
  const std::wstring line = FormatCountLine(PairText(IDS_COUNT_LINE), PhotoCount(), selectedCount);
  const TextOrigin count = CountLineOrigin(client.right);
  ::TextOutW(dc, count.x, count.y, line.c_str(), static_cast<int>(line.size()));
  const std::wstring caption = PairText(IDS_SETTINGS_CAPTION);
  const TextOrigin at = SettingsCaptionOrigin(client.right);
  ::TextOutW(dc, at.x, at.y, caption.c_str(), static_cast<int>(caption.size()));
}

bool CChildView::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  CImg* image = nullptr;
  int column = 0;
  bool iconCell = false;
  switch (item.CtlID) {
    case kSave: image = saveImage.get(); column = 0; break;
    case kRemove: image = removeImage.get(); column = 0; break;
    case kRemoveAll: image = removeImage.get(); column = 1; break;
    case kUpdate: image = iconImage.get(); column = 2; iconCell = true; break;
    case kVendorPage: image = iconImage.get(); column = 1; iconCell = true; break;
    case kProductPage: image = iconImage.get(); column = 3; iconCell = true; break;
    case kMinimize: image = iconImage.get(); column = 4; iconCell = true; break;
    case kClose: image = iconImage.get(); column = 5; iconCell = true; break;
    default:
      return false;
  }
  const int x = item.rcItem.left, y = item.rcItem.top;
  if (iconCell) {
    const RECT area{x, y, x + kIconCell, y + kIconCell};
    ::FillRect(item.hDC, &area, panelBrush.get());
    if (!image) return true;
    const int left = (column - 1) * kIconCell, top = pressed ? kIconCell : 0;
    if (auto cell = CropImage(RECT{left, top, left + kIconCell, top + kIconCell}, *image)) {
      DrawMagentaKeyed(*cell, item.hDC, x, y, kIconCell, kIconCell, kIconCell, kIconCell);
    }
    return true;
  }
  if (!image) return true;
  const int faceWidth = image->Width() / 2, faceHeight = image->Height() / 2;
  const int left = column * faceWidth, top = pressed ? faceHeight : 0;
  if (auto face = CropImage(RECT{left, top, left + faceWidth, top + faceHeight}, *image)) face->Draw(item.hDC, x, y);
  return true;
}

LRESULT CChildView::OnCtlColor(HDC dc, HWND control) {
  if (imageList && control == imageList->m_hWnd) return reinterpret_cast<LRESULT>(listBrush.get());
  const bool panel = Is(typeLabel, control) || Is(speedLabel, control) || Is(sizeLabel, control) ||
                     Is(zOrderLabel, control) || Is(intervalLabel, control) || Holds(typeRadios, control) ||
                     Holds(speedRadios, control) || Holds(sizeRadios, control) || Holds(zOrderRadios, control) ||
                     Holds(intervalRadios, control) || Is(strengthSlider, control) || Is(waveCountSlider, control);
  if (panel) {
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(panelBrush.get());
  }
  return reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH));
}

// ---------------------------------------------------------------------------
// Mouse and keys

void CChildView::OnMouseMove(POINT point) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const BorderZone zone = HitTestBorder(FromRect(client), point.x, point.y);
  HCURSOR cursor = BorderCursor(zone);
  ::SetCursor(cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CChildView::OnLButtonDown(POINT point) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const BorderZone zone = HitTestBorder(FromRect(client), point.x, point.y);
  if (zone != BorderZone::None) {
    ResizeByBorder(m_hWnd, Frame(), zone);
    if (imageList) ::InvalidateRect(imageList->m_hWnd, nullptr, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return;
  }
  MoveByDrag(m_hWnd, Frame());
}

void CChildView::OnKeyDown(UINT key) {
  if (key == VK_ESCAPE) ::PostMessageW(Frame(), WM_CLOSE, 0, 0);
  if (key == VK_F1) OpenWebPage(kProductPage);
}

void CChildView::OnHScroll(int code, int position, HWND bar) {
  // Only a drag of the thumb stores its value.
  if (code != TB_THUMBTRACK && code != TB_THUMBPOSITION) return;
  if (Is(strengthSlider, bar)) context_.driftlet.SetEffectStrength(position);
  if (Is(waveCountSlider, bar)) context_.driftlet.SetWaveCount(position);
}

// ---------------------------------------------------------------------------
// Commands

int CChildView::CheckedIndex(UINT firstId, int count) const {
  std::vector<bool> checks;
  for (int i = 0; i < count; ++i) {
    checks.push_back(::IsDlgButtonChecked(m_hWnd, static_cast<int>(firstId) + i) == BST_CHECKED);
  }
  return FirstChecked(checks);
}

BOOL CChildView::OnCmdMsg(UINT id, int code) {
  // An owner-drawn button reports a second click soon after the first as a
  // double click: for these buttons it is a click like any other.
  const bool imageButton = id == kSave || id == kRemove || id == kRemoveAll || (id >= kUpdate && id <= kClose);
  if (code == BN_DOUBLECLICKED && imageButton) code = BN_CLICKED;
  if (!m_hWnd || code != BN_CLICKED) return FALSE;
  CDriftlet& d = context_.driftlet;
  if (id >= kTypeFirst && id < kTypeFirst + 5) {
    if (const int i = CheckedIndex(kTypeFirst, 5); i >= 0) d.SetDisplayType(i);
    ApplyTrackbarRules();
    return TRUE;
  }
  if (id >= kSpeedFirst && id < kSpeedFirst + 3) {
    if (const int i = CheckedIndex(kSpeedFirst, 3); i >= 0) d.SetSpeed(i);
    return TRUE;
  }
  if (id >= kSizeFirst && id < kSizeFirst + 5) {
    if (const int i = CheckedIndex(kSizeFirst, 5); i >= 0) d.SetPhotoSize(i);
    return TRUE;
  }
  if (id >= kZOrderFirst && id < kZOrderFirst + 3) {
    if (const int i = CheckedIndex(kZOrderFirst, 3); i >= 0) d.SetZOrder(static_cast<ZOrder>(i));
    return TRUE;
  }
  if (id >= kIntervalFirst && id < kIntervalFirst + 9) {
    if (const int i = CheckedIndex(kIntervalFirst, 9); i >= 0) d.SetSwitchInterval(i);
    return TRUE;
  }
  switch (id) {
    case kSave:
      OnSave();
      return TRUE;
    case kRemove:
      OnRemove(false);
      return TRUE;
    case kRemoveAll:
      OnRemove(true);
      return TRUE;
    case kVendorPage:
    case kProductPage:
      OpenWebPage(id);
      return TRUE;
    case kUpdate:
      RunUpdate(Frame());
      return TRUE;
    case kMinimize:
      ::ShowWindow(Frame(), SW_SHOWMINIMIZED);
      return TRUE;
    case kClose:
      ::PostMessageW(Frame(), WM_CLOSE, 0, 0);
      return TRUE;
  }
  return FALSE;
}

void CChildView::OpenWebPage(UINT command) {
  const bool japanese = IsJapaneseSystem();
  const std::wstring address = command == kVendorPage ? VendorPageAddress(japanese) : ProductPageAddress(japanese);
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CChildView::OnSave() {
  if (thumbs.empty()) {
    ShowPairedMessage(Frame(), IDS_ADD_IMAGES_FIRST_JA, IDS_ADD_IMAGES_FIRST_EN, MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (!imageList || imageList->GetSelCount() == 0) {
    ShowPairedMessage(Frame(), IDS_NO_SELECTION_JA, IDS_NO_SELECTION_EN, MB_OK | MB_ICONINFORMATION);
    return;
  }
  std::wstring filter = PairText(IDS_SAVE_FILTER);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  std::vector<wchar_t> file(MAX_PATH, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = nullptr;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = L"K3DLT";
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&ofn)) return;
  const std::wstring path(file.data());
  PackageDialogs dialogs(m_hWnd);
  CDriftlet& d = context_.driftlet;
  if (SavePackage(SettingsToBytes(d.settings), d.photoPaths, path, dialogs)) {
    ShowPairedMessage(Frame(), IDS_COMPLETED_JA, IDS_COMPLETED_EN, MB_OK | MB_ICONINFORMATION);
  }
}

void CChildView::OnRemove(bool all) {
  if (thumbs.empty()) {
    ShowPairedMessage(Frame(), IDS_ADD_IMAGES_FIRST_JA, IDS_ADD_IMAGES_FIRST_EN, MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (!all && (!imageList || imageList->GetSelCount() == 0)) {
    ShowPairedMessage(Frame(), IDS_NO_SELECTION_JA, IDS_NO_SELECTION_EN, MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (ShowPairedMessage(Frame(), IDS_CONFIRM_REMOVE_JA, IDS_CONFIRM_REMOVE_EN, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  RemovePhotos(all);
}

// ---------------------------------------------------------------------------
// The photo collection

bool CChildView::AddPhoto(const std::wstring& path) {
  if (!imageList) return false;
  const bool wasEmpty = thumbs.empty();
  if (std::any_of(thumbs.begin(), thumbs.end(), [&](const auto& t) { return t->path == path; })) return false;
  if (!IsPhotoFileName(path)) return false;
  auto image = std::make_unique<CImg>();
  Size size{96, 96};
  if (!LoadThumbnail(path.c_str(), *image, size, true)) return false;
  auto entry = std::make_unique<CImgThumb>(path, std::move(image), size.width, size.height);
  const int row = imageList->AddString(path.c_str());
  if (row < 0) return false;
  imageList->SetItemDataPtr(row, entry.get());
  thumbs.push_back(std::move(entry));
  DrawCounts();
  ApplyDropHintRule();
  if (wasEmpty) {
    imageList->SetSel(0, true);
    ApplySelection();
  }
  return true;
}

void CChildView::ApplySelection() {
  if (!m_hWnd || !imageList) return;
  std::vector<std::wstring> paths;
  for (int index : imageList->GetSelItems()) {
    if (index >= 0 && index < PhotoCount()) paths.push_back(thumbs[static_cast<std::size_t>(index)]->path);
  }
  context_.driftlet.LoadPhotos(paths);
}

bool CChildView::IsPhotoSelected(int index) const {
  if (thumbs.empty() || !imageList || imageList->GetSelCount() == 0) return false;
  const std::vector<int> selected = imageList->GetSelItems();
  return std::find(selected.begin(), selected.end(), index) != selected.end();
}

void CChildView::RemovePhotoAt(int index) {
  if (index < 0 || index >= PhotoCount() || !imageList) return;
  const bool wasSelected = IsPhotoSelected(index);
  imageList->DeleteString(index);
  thumbs.erase(thumbs.begin() + index);
  if (wasSelected) ApplySelection();
  DrawCounts();
  ApplyDropHintRule();
}

void CChildView::RemovePhotos(bool all) {
  if (thumbs.empty() || !imageList) return;
  if (all) {
    for (int i = PhotoCount() - 1; i >= 0; --i) RemovePhotoAt(i);
    return;
  }
  const std::vector<int> selected = imageList->GetSelItems();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) RemovePhotoAt(*it);
}

void CChildView::ImportPaths(const std::vector<std::wstring>& paths) {
  if (paths.empty() || !imageList) return;
  BatchedRedraw redraw(*imageList);
  CProgressDlg progress;
  progress.Open(m_hWnd, 0, static_cast<int>(paths.size()), true);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (AddPhoto(paths[i])) redraw.RowsAdded();
    if (!progress.SetPos(static_cast<int>(i))) break;
  }
}

void CChildView::OnDropFiles(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t name[512] = {};
    if (!::DragQueryFileW(drop, i, name, 512)) continue;
    EnumeratePaths(name, paths, true, false, [] { PumpPaintMessages(); });
  }
  ::DragFinish(drop);
  ImportPaths(paths);
}

void CChildView::LoadImageList() {
  if (!imageList) return;
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(listFilePath.c_str(), GetFileExInfoStandard, &info)) return;
  const std::vector<std::wstring> photos = LoadImageListFile(listFilePath);
  if (photos.empty()) return;
  const unsigned long long length = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  BatchedRedraw redraw(*imageList);
  CProgressDlg progress;
  progress.Open(m_hWnd, 0, static_cast<int>(std::min<unsigned long long>(length, 0x7FFFFFFF)), true);
  int position = 0;
  for (const std::wstring& photo : photos) {
    if (!AddPhoto(photo)) continue;
    redraw.RowsAdded();
    position += static_cast<int>(kImageListRecordBytes);
    if (!progress.SetPos(position)) break;
  }
}

void CChildView::SaveImageList() {
  std::vector<std::wstring> photos;
  photos.reserve(thumbs.size());
  for (const auto& t : thumbs) photos.push_back(t->path);
  SaveImageListFile(listFilePath, photos);
}

// ---------------------------------------------------------------------------

LRESULT CChildView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_SIZE:
      fw::CWnd::WindowProc(msg, wp, lp);
      PlaceHelpWindow();
      LayoutControls();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      break;
    case WM_SETCURSOR:
      // The cursor is set on every move.
      if (reinterpret_cast<HWND>(wp) == m_hWnd) return TRUE;
      break;
    case WM_LBUTTONDOWN:
      OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE || wp == VK_F1) {
        OnKeyDown(static_cast<UINT>(wp));
        return 0;
      }
      break;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp));
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_LOAD_IMAGE_LIST:
      LoadImageList();
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
      ApplyDropHintRule();
      RaiseHelpWindow();
      return 0;
    case WM_IMAGE_LIST_CLICK:
      ApplySelection();
      DrawCounts();
      return 0;
    case WM_TIMER:
    case WM_CLOSE:
      return 0;
    case WM_DESTROY:
      SaveImageList();
      // The drifting window is already gone: the rows and entries go
      // without handing it a new selection for each one.
      if (imageList) imageList->SendMessage(LB_RESETCONTENT);
      thumbs.clear();
      DestroyControls();
      break;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
