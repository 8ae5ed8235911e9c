#include "ui/ChildView.h"

#include <shellapi.h>
#include <windowsx.h>

#include <optional>

#include "desktop/DisplaySettings.h"
#include "files/Package.h"
#include "framework/FrameWnd.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "ui/BackBuffer.h"
#include "res/Messages.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/DragLoops.h"
#include "ui/Palette.h"
#include "ui/SaveDialog.h"
#include "ui/ViewLayout.h"
#include "ui/ViewResources.h"
#include "ui/ViewRules.h"
#include "dialogs/PackageDialogs.h"

namespace k3 {

namespace {

constexpr wchar_t kViewClass[] = L"K3DriftletView";
static_assert(ids::kView == fw::kFirstPaneId, "the view is the frame's first pane");

// The text of a pair (Japanese at `pair`, English at `pair` + 1).
std::wstring PairText(UINT pair) { return LoadResString(PickText(pair, pair + 1)); }

// Every image button: its id, its sheet's layout, its face in the sheet,
// its place in the layout and its name (a pair of texts).
struct ButtonFace {
  UINT id;
  CImageButton::Sheet kind;
  int column;
  Rect ViewLayout::*place;
  UINT name;
};
constexpr CImageButton::Sheet kIcons = CImageButton::Sheet::Icons, kFaces = CImageButton::Sheet::Faces;
constexpr ButtonFace kTopButtons[] = {
    {ids::kVendorPage, kIcons, 1, &ViewLayout::vendorPageButton, IDS_NAME_VENDOR_PAGE},
    {ids::kProductPage, kIcons, 3, &ViewLayout::productPageButton, IDS_NAME_PRODUCT_PAGE},
    {ids::kUpdate, kIcons, 2, &ViewLayout::updateButton, IDS_NAME_UPDATE},
    {ids::kMinimize, kIcons, 4, &ViewLayout::minimizeButton, IDS_NAME_MINIMIZE},
    {ids::kClose, kIcons, 5, &ViewLayout::closeButton, IDS_NAME_CLOSE},
    {ids::kSave, kFaces, 0, &ViewLayout::saveButton, IDS_NAME_SAVE}};
constexpr ButtonFace kListButtons[] = {{ids::kRemove, kFaces, 0, &ViewLayout::removeButton, IDS_NAME_REMOVE},
                                       {ids::kRemoveAll, kFaces, 1, &ViewLayout::removeAllButton, IDS_NAME_REMOVE_ALL}};

}  // namespace

CChildView::CChildView(const ViewContext& context)
    : context_(context),
      panelBrush_(::CreateSolidBrush(palette::kPanel)),
      photos_(context.driftlet),
      settings_(context.driftlet) {
  photos_.OnChanged([this] { OnPhotosChanged(); });
  // Delete on the list asks and deletes as the Delete button does.
  photos_.OnDeleteKey([this] { OnRemove(false); });
}

CChildView::~CChildView() {
  if (m_hWnd) DestroyWindow();
}

BOOL CChildView::CreateView(HWND frame) {
  return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 0, 0}, frame, ids::kView);
}

BOOL CChildView::PreCreateWindow(CREATESTRUCTW& cs) {
  // No cursor (the view sets it on every move) and a hollow background:
  // nothing is erased, every pixel comes from the back buffer.
  className_ = fw::RegisterNamedWndClass(kViewClass, 0, nullptr, static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)));
  cs.lpszClass = className_.c_str();
  return TRUE;
}

LRESULT CChildView::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CWnd::WindowProc(msg, wp, lp) == -1) return -1;
  ::DragAcceptFiles(m_hWnd, TRUE);
  BuildControls();
  PostMessage(WM_LOAD_IMAGE_LIST);
  return 0;
}

CImg* CChildView::SheetOf(UINT id) const {
  if (id == ids::kSave) return art_.save.get();
  if (id == ids::kRemove || id == ids::kRemoveAll) return art_.remove.get();
  return art_.icons.get();
}

void CChildView::BuildControls() {
  dpi_ = WindowDpi(m_hWnd);
  art_ = ViewArt::For(dpi_);
  const auto make = [this](const ButtonFace& face) {
    auto button = std::make_unique<CImageButton>();
    if (button->Create(m_hWnd, face.id, SheetOf(face.id), face.kind, face.column, panelBrush_.get(),
                       PairText(face.name).c_str())) {
      buttons_.push_back({std::move(button), face.place});
    }
  };
  for (const ButtonFace& face : kTopButtons) make(face);
  // Every button and radio button of the program shows the hand.
  if (!buttons_.empty()) {
    ::SetClassLongPtrW(buttons_.front().button->m_hWnd, GCLP_HCURSOR,
                       reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));
  }
  photos_.SetDpi(dpi_);
  photos_.Create(m_hWnd, ids::kImageList);
  // The drop text first, then the keys that add photos without a mouse.
  helpWindow_ = std::make_unique<CHelpWnd>(PickText(IDS_DROP_HINT_JA, IDS_DROP_HINT_EN),
                                           PickText(IDS_DROP_HINT_KEYS, IDS_DROP_HINT_KEYS + 1));
  helpWindow_->SetDpi(dpi_);
  if (!helpWindow_->CreateHint(m_hWnd, m_hWnd)) helpWindow_.reset();
  for (const ButtonFace& face : kListButtons) make(face);
  settings_.Create(m_hWnd, art_.normal.get(), art_.bold.get());
  ApplyColours(ColoursOfSystem());

  NameControls();
  ArrangeTabOrder();
  PlaceHelpWindow();
  LayoutControls();
}

void CChildView::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_ || buttons_.empty()) return;
  dpi_ = dpi;
  // The controls take the new fonts before the old ones go.
  ViewArt art = ViewArt::For(dpi);
  settings_.SetFonts(art.normal.get(), art.bold.get());
  for (const PlacedButton& b : buttons_) {
    b.button->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(art.normal.get()), FALSE);
  }
  art_ = std::move(art);
  for (const PlacedButton& b : buttons_)
    b.button->SetSheet(SheetOf(static_cast<UINT>(::GetDlgCtrlID(b.button->m_hWnd))));
  photos_.SetDpi(dpi);
  if (helpWindow_) helpWindow_->SetDpi(dpi);
  LayoutControls();
  PlaceHelpWindow();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CChildView::ApplyColours(const ViewColours& colours) {
  fw::GdiBrush panel(::CreateSolidBrush(colours.panel));
  if (!panel) return;
  colours_ = colours;
  // Everyone takes the new brush before the old one goes.
  for (const PlacedButton& b : buttons_) {
    // The font a button's name is drawn in when it is drawn as text.
    b.button->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(art_.normal.get()), FALSE);
    b.button->SetColours(colours, panel.get());
  }
  panelBrush_ = std::move(panel);
  settings_.SetColours(colours);
  if (CImgList* list = photos_.List()) list->SetColours(colours);
  if (helpWindow_) helpWindow_->SetColours(colours.hint, colours.hintText);
  if (m_hWnd) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CChildView::EndSession() {
  // The photo list is written before anything waits for a worker.
  photos_.EndSession();
  update_.Stop();
}

void CChildView::DestroyControls() {
  // An update under way ends first and writes nothing.
  update_.Stop();
  photos_.Close();
  helpWindow_.reset();
  settings_.Destroy();
  tooltips_.reset();
  photosLabel_.DestroyWindow();
  buttons_.clear();
  art_ = ViewArt{};
}

void CChildView::LayoutControls() {
  if (buttons_.empty()) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const ViewLayout l = LayoutView(client.right, client.bottom, dpi_);
  if (CImgList* list = photos_.List()) PlaceControl(list->m_hWnd, l.imageList);
  settings_.Layout(l);
  for (const PlacedButton& b : buttons_) PlaceControl(b.button->m_hWnd, l.*b.place);
}

void CChildView::PlaceHelpWindow() {
  if (buttons_.empty() || !helpWindow_ || !helpWindow_->m_hWnd) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const Rect r = HelpWindowRect(client.right, client.bottom, dpi_);
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  ::SetWindowPos(helpWindow_->m_hWnd, nullptr, r.left + origin.x, r.top + origin.y, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CChildView::RaiseHelpWindow() {
  if (!helpWindow_ || !helpWindow_->m_hWnd || !::IsWindowVisible(helpWindow_->m_hWnd)) return;
  // Through the topmost band and back: a real move of the window, so that
  // every layer of the window system learns it, yet it ends among the
  // ordinary windows, right over the main window that owns it.
  constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ::SetWindowPos(helpWindow_->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, keep);
  ::SetWindowPos(helpWindow_->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
}

void CChildView::ApplyDropHintRule() {
  if (!helpWindow_ || !helpWindow_->m_hWnd) return;
  ::ShowWindow(helpWindow_->m_hWnd, photos_.Count() == 0 ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CChildView::OnPhotosChanged() {
  DrawCounts();
  DescribeList(FormatCountLine(PairText(IDS_COUNT_LINE), photos_.Count(), photos_.SelectedCount()));
  ApplyDropHintRule();
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
  if (!CreateFilledBackBuffer(buffer, paint.get(), width, height, colours_.panel)) return;
  art_.DrawTitleBar(buffer.dc(), colours_, context_.appActive, context_.title, context_.versionMS, context_.versionLS);
  if (!colours_.system) art_.DrawCorner(buffer.dc(), height);
  DrawCounts(buffer.dc());
  ::BitBlt(paint.get(), 0, 0, width, height, buffer.dc(), 0, 0, SRCCOPY);
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
  fw::SelectObjectScope selected(dc, art_.count.get());
  ::SetTextColor(dc, colours_.counts);
  ::SetBkColor(dc, colours_.panel);
  ::SetBkMode(dc, OPAQUE);
  const std::wstring line = FormatCountLine(PairText(IDS_COUNT_LINE), photos_.Count(), photos_.SelectedCount());
  const TextOrigin count = CountLineOrigin(client.right, dpi_);
  ::TextOutW(dc, count.x, count.y, line.c_str(), static_cast<int>(line.size()));
  const std::wstring caption = PairText(IDS_SETTINGS_CAPTION);
  const TextOrigin at = SettingsCaptionOrigin(client.right, dpi_);
  ::TextOutW(dc, at.x, at.y, caption.c_str(), static_cast<int>(caption.size()));
}

// ---------------------------------------------------------------------------
// Mouse and keys

void CChildView::OnMouseMove(POINT point) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const BorderZone zone = HitTestBorder(FromRect(client), point.x, point.y, dpi_);
  HCURSOR cursor = BorderCursor(zone);
  ::SetCursor(cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CChildView::OnLButtonDown(POINT point) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const BorderZone zone = HitTestBorder(FromRect(client), point.x, point.y, dpi_);
  if (zone != BorderZone::None) {
    ResizeByBorder(m_hWnd, Frame(), zone, dpi_);
    if (CImgList* list = photos_.List()) ::InvalidateRect(list->m_hWnd, nullptr, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return;
  }
  MoveByDrag(m_hWnd, Frame());
}

void CChildView::OnKeyDown(UINT key) {
  if (key == VK_ESCAPE) ::PostMessageW(Frame(), WM_CLOSE, 0, 0);
  if (key == VK_F1) OpenWebPage(ids::kProductPage);
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
    case WM_DROPFILES:
      photos_.ImportDrop(reinterpret_cast<HDROP>(wp), m_hWnd);
      return 0;
    case WM_LOAD_IMAGE_LIST:
      photos_.Load(m_hWnd);
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
      ApplyDropHintRule();
      RaiseHelpWindow();
      return 0;
    case WM_TIMER:
    case WM_CLOSE:
      return 0;
    case WM_DESTROY:
      // The drifting window is already gone: the photo list is written
      // and its rows go without a new selection for each one.
      DestroyControls();
      break;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
