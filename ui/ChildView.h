// CChildView: the whole visible face of the main window in normal mode. The
// main frame has no caption and no border, so the view paints its own title
// bar (name and version), carries the minimise and close buttons, moves the
// frame when its background is dragged and resizes it by its edges and
// corners. Inside it, each in a part of its own: the photo collection (the
// list with its count line, IMG.DAT, imports), the settings panel, the
// image buttons (Save, Delete, Delete All, the two web pages, the update
// command) and the drop hint over the empty list. The view keeps the
// layout, the title bar, the mouse and the command table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "framework/Controls.h"
#include "framework/Wnd.h"
#include "imaging/Img.h"
#include "ui/HelpWnd.h"
#include "ui/ImageButton.h"
#include "ui/PhotoCollection.h"
#include "ui/SettingsPanel.h"
#include "ui/ViewArt.h"
#include "ui/ViewLayout.h"
#include "update/UpdateCommand.h"

namespace k3 {

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
  // The view draws itself for `dpi`: its pictures, fonts, layout, the
  // list's rows and the drop hint. The frame calls it when the DPI of its
  // screen changes, before it takes its new size.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  // Draws everything in `colours`: the frame hands in the system's when
  // high contrast is turned on or off, or the system's colours change.
  void ApplyColours(const ViewColours& colours);
  const ViewColours& Colours() const { return colours_; }

  PhotoCollection& Photos() { return photos_; }
  // Keys and the wheel before they are dispatched, whichever control has
  // the focus: Esc and F1 act from anywhere, the wheel scrolls the list
  // under the pointer, and Tab, the arrows of a group, Space and Enter move
  // and press as in a dialog; every other key goes to the focused control.
  // Whether the message was taken.
  bool PreTranslateKeys(MSG* msg);
  // The control with the focus is kept while the frame is inactive and
  // has the focus again when it is activated (the list at first).
  void RememberFocus();
  void RestoreFocus();
  // The session ends and the process may end as soon as this returns: an
  // update under way stops (writing nothing), the photo list is written.
  void EndSession();
  SettingsPanel& Settings() { return settings_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void BuildControls();
  void DestroyControls();
  void OnPaint();
  // Draws the count line and the settings caption into `dc`, or at once
  // into the window without one.
  void DrawCounts(HDC dc = nullptr);
  void OnPhotosChanged();
  void OnMouseMove(POINT point);
  void OnLButtonDown(POINT point);
  void OnKeyDown(UINT key);
  // Whether there are photos (and, when needed, selected ones) for a
  // command; the user is told when not.
  bool PhotosToActOn(bool selectionNeeded);
  void OnSave();
  void OnRemove(bool all);
  void OpenWebPage(UINT command);
  void ApplyDropHintRule();
  // The keyboard's Tab goes through the controls in the order they appear:
  // the list, the settings, Save, Delete, Delete All, the title bar's.
  void ArrangeTabOrder();
  // The names screen readers read: the list's hidden label, the icon
  // buttons' tooltips (the buttons' names are their window texts).
  void NameControls();
  // The count line as the list's description.
  void DescribeList(const std::wstring& countLine);
  // Enter: the focused button is pressed; false when none has the focus.
  bool PressFocusedButton();
  // Ctrl+V: the files and folders on the clipboard (as Explorer's Copy
  // puts them) are added as a drop's; Ctrl+O: the files chosen in the
  // system's open dialog.
  void PastePhotos();
  void OpenPhotos();
  HWND Frame() const { return ::GetParent(m_hWnd); }

  ViewContext context_;
  ViewColours colours_;
  fw::GdiBrush panelBrush_;
  PhotoCollection photos_;
  SettingsPanel settings_;
  // The buttons in creation order: vendor page, product page, update,
  // minimise, close, save; delete and delete all after the list.
  struct PlacedButton {
    std::unique_ptr<CImageButton> button;
    Rect ViewLayout::*place;
  };
  std::vector<PlacedButton> buttons_;
  std::unique_ptr<CHelpWnd> helpWindow_;
  // The gear's command; it runs off the interface thread.
  UpdateCommand update_;
  // The control that had the focus when the frame was last deactivated.
  HWND lastFocus_ = nullptr;
  // The list's label (hidden), the icon buttons' tooltips and the list's
  // description as last given.
  fw::CStatic photosLabel_;
  fw::OwnedWindow tooltips_;
  std::wstring listDescription_;
  // The pictures and fonts, made with the controls and again at another
  // DPI.
  ViewArt art_;
  int dpi_ = 96;
  // The sheet a button's faces are cut from.
  CImg* SheetOf(UINT id) const;
};

}  // namespace k3
