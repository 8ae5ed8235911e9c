// CChildView: the whole visible face of the main window in normal mode. The
// main frame has no caption and no border, so the view paints its own title
// bar (name and version), carries the minimise and close buttons, moves the
// frame when its background is dragged and resizes it by its edges and
// corners. Inside it: the photo list with its count line, the settings
// panel, the Save, Delete and Delete All buttons, the two web page buttons
// and the drop hint over the empty list. Photos come in by drops and from
// the list kept in IMG.DAT beside the program, written back when the view
// goes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "imaging/Img.h"
#include "ui/BorderZones.h"
#include "ui/HelpWnd.h"
#include "ui/ImgList.h"

namespace k3 {

// Posted to the view at its creation: loads IMG.DAT once the window is on
// the screen.
inline constexpr UINT WM_LOAD_IMAGE_LIST = WM_USER + 1;

// What the view shows of the program and acts on; handed in by its creator.
struct ViewContext {
  CDriftlet& driftlet;
  // Application name, drawn in the title bar.
  std::wstring title;
  // File version: major/minor and build/revision words.
  std::uint32_t versionMS = 0;
  std::uint32_t versionLS = 0;
  // Whether the program is the active application (kept by the frame).
  const bool& appActive;
};

class CChildView : public fw::CWnd {
 public:
  // Command identifiers of the view's buttons and radio buttons.
  enum : UINT {
    kSave = 200,
    kImageList = 203,
    kRemove = 205,
    kRemoveAll = 206,
    kUpdate = 214,
    kVendorPage = 215,
    kProductPage = 216,
    kMinimize = 217,
    kClose = 218,
    kTypeFirst = 223,
    kSpeedFirst = 228,
    kSizeFirst = 231,
    kZOrderFirst = 236,
    kIntervalFirst = 239,
    kStrengthSlider = 248,
    kWaveCountSlider = 249,
  };
  static constexpr COLORREF kPanelColour = RGB(245, 250, 254);
  static constexpr COLORREF kListColour = RGB(229, 234, 238);

  explicit CChildView(const ViewContext& context);
  ~CChildView() override;

  // Creates the view as the frame's first pane.
  BOOL CreateView(HWND frame);

  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  BOOL OnCmdMsg(UINT id, int code) override;

  // Puts the drop hint in the middle of the list (screen coordinates); the
  // frame calls it whenever it moves.
  void PlaceHelpWindow();
  // Puts the drop hint over the main window again, when it shows (after
  // the window system raised the main window over it).
  void RaiseHelpWindow();
  void LayoutControls();

  // The photo collection.
  bool AddPhoto(const std::wstring& path);
  void ApplySelection();
  bool IsPhotoSelected(int index) const;
  void RemovePhotoAt(int index);
  void RemovePhotos(bool all);
  // Draws the count line and the settings caption into `dc`, or at once
  // into the window without one.
  void DrawCounts(HDC dc = nullptr);
  void LoadImageList();
  void SaveImageList();
  // Imports dropped files and folders.
  void ImportPaths(const std::vector<std::wstring>& dropped);

  int PhotoCount() const { return static_cast<int>(thumbs.size()); }
  const std::wstring& ListFilePath() const { return listFilePath; }
  // Where the list is kept; the program folder's IMG.DAT unless changed
  // before creation.
  void SetListFilePath(std::wstring path) { listFilePath = std::move(path); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void BuildControls();
  void DestroyControls();
  void OnPaint();
  void DrawHeader(HDC dc, int width);
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnCtlColor(HDC dc, HWND control);
  void OnMouseMove(POINT point);
  void OnLButtonDown(POINT point);
  void OnKeyDown(UINT key);
  void OnHScroll(int code, int position, HWND bar);
  void OnDropFiles(HDROP drop);
  void OnSave();
  void OnRemove(bool all);
  void OpenWebPage(UINT command);
  void ApplyTrackbarRules();
  void ApplyDropHintRule();
  int CheckedIndex(UINT firstId, int count) const;
  HWND Frame() const { return ::GetParent(m_hWnd); }
  std::unique_ptr<fw::CWnd> MakeButton(UINT id);
  std::unique_ptr<fw::CWnd> MakeLabel(UINT textPair);
  std::unique_ptr<fw::CWnd> MakeRadio(UINT id, const std::wstring& text, bool firstOfGroup);

  ViewContext context_;

  std::unique_ptr<fw::CWnd> vendorPageButton;
  // The update command's button (the gear).
  std::unique_ptr<fw::CWnd> updateButton;
  std::unique_ptr<fw::CWnd> productPageButton;
  std::unique_ptr<fw::CWnd> minimizeButton;
  std::unique_ptr<fw::CWnd> closeButton;
  std::unique_ptr<fw::CWnd> saveButton;
  std::unique_ptr<CImgList> imageList;
  std::unique_ptr<fw::CWnd> removeButton;
  std::unique_ptr<fw::CWnd> removeAllButton;
  std::unique_ptr<fw::CWnd> typeLabel;
  std::array<std::unique_ptr<fw::CWnd>, 5> typeRadios;
  std::unique_ptr<fw::CWnd> speedLabel;
  std::array<std::unique_ptr<fw::CWnd>, 3> speedRadios;
  std::unique_ptr<fw::CWnd> sizeLabel;
  std::array<std::unique_ptr<fw::CWnd>, 5> sizeRadios;
  std::unique_ptr<fw::CWnd> zOrderLabel;
  std::array<std::unique_ptr<fw::CWnd>, 3> zOrderRadios;
  std::unique_ptr<fw::CWnd> intervalLabel;
  std::array<std::unique_ptr<fw::CWnd>, 9> intervalRadios;
  std::unique_ptr<fw::CWnd> strengthSlider;
  std::unique_ptr<fw::CWnd> waveCountSlider;
  fw::GdiBrush panelBrush;
  fw::GdiBrush listBrush;
  std::unique_ptr<CHelpWnd> helpWindow;
  std::unique_ptr<CImg> saveImage;
  std::unique_ptr<CImg> removeImage;
  std::unique_ptr<CImg> iconImage;
  std::unique_ptr<CImg> titleActive_;
  std::unique_ptr<CImg> titleInactive_;
  std::unique_ptr<CImg> corner_;
  fw::GdiFont normalFont;
  fw::GdiFont boldFont;
  std::wstring listFilePath;
  std::vector<std::unique_ptr<CImgThumb>> thumbs;
};

}  // namespace k3
