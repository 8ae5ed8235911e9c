// The photo list of the main view: one 100-pixel row (logical, scaled to
// the screen's DPI) per photo with its thumbnail, its path and its picture
// size; a multiple-selection list box whose rows the list draws itself.
// The entries and their selection belong to the photo list's model; a
// row's item data points at its entry, and a row is drawn selected when
// its entry is. The box's own selection (what a screen reader reads) is
// kept in step with the model by its owner: every change asked of the box
// goes to the model first.
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
  // Rows, thumbnails and text at `dpi`; before the list is made, or with
  // its rows' new height after.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  int RowHeight() const;
  // The side of the square a thumbnail fits in.
  int ThumbnailSide() const;
  // The rows' colours (the system's in high contrast).
  void SetColours(const ViewColours& colours);
  // The selected row's frame, logical pixels wide (outside the thumbnail's
  // box).
  static constexpr int kSelectionMarkWidth = 2;

  ~CImgList() override;

  void DrawItem(const DRAWITEMSTRUCT& item) override;
  void MeasureItem(MEASUREITEMSTRUCT& item) override;
  // The list's own background colour.
  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  // Every change of the selection asked of the box by anyone (LB_SETSEL,
  // LB_SELITEMRANGE, LB_SELITEMRANGEEX from this program, another one or a
  // screen reader) goes to `asked` (first row, last row, on; -1 for the
  // first row means every row) instead of the box; false (rows that are
  // not there) answers LB_ERR.
  void OnSelectionAsked(std::function<bool(int, int, bool)> asked) { asked_ = std::move(asked); }
  // `made` is told after the user may have changed the box's own selection
  // (a click, a key); its owner reads it (GetSelItems) and hands it on.
  void OnSelectionMade(std::function<void()> made) { made_ = std::move(made); }
  // The Delete key on the list: its owner asks and deletes, as the Delete
  // button does.
  void OnDeleteKey(std::function<void()> pressed) { deleteKey_ = std::move(pressed); }
  // Makes the box's own selection exactly `rows` (ascending).
  void ShowSelection(const std::vector<int>& rows);
  // `scrolled` is told when other rows came into view (scrolled, sized).
  void OnScrolled(std::function<void()> scrolled) { scrolled_ = std::move(scrolled); }
  // The rows on screen now, top to bottom.
  std::vector<int> RowsOnScreen() const;
  void RedrawRow(int row);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  ViewColours colours_;
  fw::GdiBrush background_{::CreateSolidBrush(palette::kList)};
  fw::GdiBrush placeholder_{::CreateSolidBrush(palette::kThumbPlaceholder)};
  fw::GdiFont font_;
  std::function<bool(int, int, bool)> asked_;
  std::function<void()> made_;
  std::function<void()> deleteKey_;
  // Where a selection extended with Shift and the arrows began (-1: none).
  int anchor_ = -1;
  // Keys of the list's own: Ctrl+A, Delete, Shift with a move of the caret.
  // Whether the key was taken.
  bool OnKey(UINT key);
  // Set while the box's own selection is made to follow the model.
  bool showing_ = false;
  std::function<void()> scrolled_;
  int lastTop_ = -1;
  int dpi_ = 96;
};

}  // namespace k3
