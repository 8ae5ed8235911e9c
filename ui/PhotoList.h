// The photo list's data, without a window: the entries in order, each with
// a key that stays with it (keys grow with the rows, so the entries stay
// ordered by key), no path twice, which rows are selected, which rows wait
// for their thumbnails, and a notice for each change of the rows and of the
// selection. Its selection is the program's only one: the owner-drawn list
// (CImgList) draws it and hands every change asked of it here; the photo
// collection feeds it and keeps the list box in step with its notices. A
// batch of changes (an import) is told once, at its end. Pure, tested
// natively.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "imaging/PhotoHead.h"
#include "imaging/PixelBuffer.h"
#include "ui/ViewRules.h"

namespace k3 {

// One photo of the list.
struct CImgThumb {
  CImgThumb(std::wstring path, std::unique_ptr<PixelBuffer> image, int width, int height)
      : path(std::move(path)), image(std::move(image)), width(width), height(height) {}

  std::wstring path;
  // At most 96 x 96, aspect ratio kept, in memory without a GDI object;
  // null (not made yet, or given back while the row is far from the
  // screen) draws a quiet box of the thumbnail's size in its place.
  std::unique_ptr<PixelBuffer> image;
  // Names the row to the thumbnail workers; it stays with the row.
  std::uint64_t key = 0;
  // The picture's own size.
  int width = 0;
  int height = 0;
  // What the JPEG's head told when the row was added (nothing for another
  // kind of picture): the thumbnail and the drift's photo use it.
  PhotoHead head;
  // What drifts and what Save packs; the model's to change.
  bool selected = false;
};

class PhotoList {
 public:
  using Key = std::uint64_t;
  using Entries = std::vector<std::unique_ptr<CImgThumb>>;
  // A row whose thumbnail is to be made.
  struct Job {
    Key key = 0;
    std::wstring path;
    PhotoHead head;
  };

  PhotoList() = default;
  PhotoList(const PhotoList&) = delete;
  PhotoList& operator=(const PhotoList&) = delete;

  // Changes made while it lives are told once, when it ends (the outermost
  // of several).
  class Batch {
   public:
    explicit Batch(PhotoList& list) : list_(list) { ++list_.batches_; }
    ~Batch() { list_.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    PhotoList& list_;
  };
  bool InBatch() const { return batches_ > 0; }

  // Told after rows came or went, and after the selection changed.
  void OnRowsChanged(std::function<void()> told) { rowsChanged_ = std::move(told); }
  void OnSelectionChanged(std::function<void()> told) { selectionChanged_ = std::move(told); }

  bool Contains(const std::wstring& path) const { return listed_.count(path) != 0; }
  // Appends the entry under a new key; false (nothing changed) for a path
  // listed already. With `needsThumbnail` it waits for one.
  bool Add(std::unique_ptr<CImgThumb> entry, bool needsThumbnail);
  void RemoveAt(int index);
  // Every row goes, with the notices; Clear without them (the list ends).
  void RemoveAll();
  void Clear();

  int Count() const { return static_cast<int>(entries_.size()); }
  const Entries& All() const { return entries_; }
  CImgThumb& At(int index) { return *entries_[static_cast<std::size_t>(index)]; }
  // The row of a key; -1 for a row gone.
  int IndexOf(Key key) const;

  // Selects or deselects one row, the rows `first` to `last` (both
  // included; -1 for `first` means every row), or selects exactly `rows`.
  // False for rows that are not there (nothing changed).
  void Select(int index, bool on);
  bool SelectRange(int first, int last, bool on);
  void SetSelection(const std::vector<int>& rows);
  bool IsSelected(int index) const;
  std::vector<int> Selected() const;
  std::vector<std::wstring> SelectedPaths() const;
  // The heads of the selected rows, in the same order.
  std::vector<PhotoHead> SelectedHeads() const;

  // The row waits for its thumbnail (again).
  void NeedThumbnail(int index);
  // The waiting rows inside `kept`, and among `onlyKeys` when given: they
  // wait no longer.
  std::vector<Job> TakeJobs(const RowRange& kept, const std::unordered_set<Key>* onlyKeys = nullptr);
  // Rows outside `kept` give their thumbnails back and wait again.
  void GiveBack(const RowRange& kept);
  std::size_t Waiting() const { return waiting_.size(); }

 private:
  // A notice now, or at the end of the batch.
  void Tell(const std::function<void()>& told);
  void EndBatch();

  Entries entries_;
  std::unordered_set<std::wstring> listed_;
  std::vector<Job> waiting_;
  Key nextKey_ = 1;
  std::function<void()> rowsChanged_;
  std::function<void()> selectionChanged_;
  int batches_ = 0;
  bool rowsChangedInBatch_ = false;
  bool selectionChangedInBatch_ = false;
};

}  // namespace k3
