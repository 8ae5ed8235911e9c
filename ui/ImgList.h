// The photo list of the main view: one 100-pixel row (logical, scaled to
// the screen's DPI) per photo with its thumbnail, its path and its picture
// size; a multiple-selection list box
// whose rows the list draws itself. The entries belong to the view; a row's
// item data points at its entry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/ListBox.h"
#include "ui/PhotoList.h"
#include "res/Messages.h"
#include "ui/Palette.h"

namespace k3 {

class CImgList : public fw::CListBox {
 public:
  static constexpr int kRowHeight = 100;
  // Rows, thumbnails and text at `dpi`; before the list is made, or with
  // its rows' new height after.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  int RowHeight() const;
  // The side of the square a thumbnail fits in.
  int ThumbnailSide() const;
  static constexpr COLORREF kRowColour = palette::kList;
  static constexpr COLORREF kSelectedRowColour = palette::kSelectedRow;

  ~CImgList() override;

  void DrawItem(const DRAWITEMSTRUCT& item) override;
  void MeasureItem(MEASUREITEMSTRUCT& item) override;
  // The list's own background colour.
  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  // `clicked` is told after a click changed the selection.
  void OnRowClicked(std::function<void()> clicked) { clicked_ = std::move(clicked); }
  // `scrolled` is told when other rows came into view (scrolled, sized).
  void OnScrolled(std::function<void()> scrolled) { scrolled_ = std::move(scrolled); }
  // The rows on screen now, top to bottom.
  std::vector<int> RowsOnScreen() const;
  void RedrawRow(int row);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  fw::GdiBrush background_{::CreateSolidBrush(palette::kList)};
  fw::GdiBrush placeholder_{::CreateSolidBrush(palette::kThumbPlaceholder)};
  fw::GdiFont font_;
  std::function<void()> clicked_;
  std::function<void()> scrolled_;
  int lastTop_ = -1;
  int dpi_ = 96;
};

}  // namespace k3
