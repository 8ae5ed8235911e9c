// CHelpWnd: the small rounded panel that floats over the empty photo list
// and asks the user to drop JPEG files there. A photo dropped onto it goes
// to the window it names, as if it had been dropped onto the list.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "ui/Palette.h"

namespace k3 {

class CHelpWnd : public fw::CWnd {
 public:
  // The text is the string resource `textId` (nothing when there is none),
  // followed on lines of their own by `moreId` when given.
  explicit CHelpWnd(UINT textId, UINT moreId = 0);
  ~CHelpWnd() override;

  // A hidden popup owned by `owner`, with an empty rectangle. Files dropped
  // onto it are handed to `dropTarget` (with its WM_DROPFILES).
  BOOL CreateHint(HWND owner, HWND dropTarget);
  // Its text and corners at `dpi` (the view places and sizes it).
  void SetDpi(int dpi);
  // Its colour and its text's (the system's in high contrast).
  void SetColours(std::uint32_t back, std::uint32_t text);

  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  const std::wstring& Text() const { return text_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnSize(int width, int height);
  void OnPaint();

  std::wstring text_;
  HWND dropTarget_ = nullptr;
  fw::GdiFont font_;
  int dpi_ = 96;
  std::uint32_t back_ = palette::kHint;
  std::uint32_t textColour_ = palette::kHintText;
};

}  // namespace k3
