// The photos the user gathered in the main view: it feeds the list's model
// (ui/PhotoList: the entries, their selection, the rows waiting for
// thumbnails) and keeps the list box that shows it in step, hands the
// selection to the drifting window, imports dropped files with their
// progress, and keeps the list in IMG.DAT.
// A JPEG's row is added as soon as its header gives the picture's size;
// its thumbnail is made on worker threads and drawn when it arrives (the
// row shows a quiet box meanwhile).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "desktop/Driftlet.h"
#include "framework/WorkNotice.h"
#include "framework/WorkerQueue.h"
#include "ui/ImgList.h"
#include "ui/ViewRules.h"
#include "ui/Thumbnailer.h"

namespace k3 {

class PhotoCollection {
 public:
  explicit PhotoCollection(CDriftlet& driftlet);
  PhotoCollection(const PhotoCollection&) = delete;
  PhotoCollection& operator=(const PhotoCollection&) = delete;

  // `changed` is told after the rows or the selection changed (the count
  // line and the drop hint follow them; a new selection reaches the drift
  // before).
  void OnChanged(std::function<void()> changed) { changed_ = std::move(changed); }

  // `pressed` is told when Delete is pressed on the list.
  void OnDeleteKey(std::function<void()> pressed) { deleteKey_ = std::move(pressed); }
  // Makes the list box as a child of `parent`.
  bool Create(HWND parent, UINT id);
  // Writes IMG.DAT and lets the rows go without handing the drifting
  // window a new selection for each one (it is gone already).
  void Close();
  // The session ends and the process may end as soon as this returns: the
  // workers stop and IMG.DAT is written; the rows and the window stay.
  void EndSession();

  CImgList* List() const { return list_.get(); }
  // The rows and thumbnails at `dpi` (before the list is made, or after:
  // the thumbnails are made again at their new size, the old ones standing
  // in meanwhile).
  void SetDpi(int dpi);
  int Count() const { return model_.Count(); }
  int SelectedCount() const;
  const PhotoList::Entries& Entries() const { return model_.All(); }

  // A photo file: false for a path listed already or not a photo. A JPEG
  // whose header gives its size is listed at once and its thumbnail comes
  // later (a file that then cannot be decoded leaves the list again); any
  // other picture is decoded here.
  bool AddPhoto(const std::wstring& path);
  // Takes the thumbnails the workers made (when they tell).
  void TakeThumbnails();
  // Rows still waiting for their thumbnails.
  std::size_t ThumbnailsPending() const;
  // How often the workers told of finished thumbnails (each notice takes
  // all that wait).
  int ThumbnailNotices() const { return thumbnailNotices_; }
  // A row for an entry made elsewhere (the row gives it its key); false for
  // a path listed already.
  bool AddRow(std::unique_ptr<CImgThumb> entry);
  // How many rows keep their thumbnails in memory at most (those around the
  // screen; about 28 KB each).
  static constexpr int kThumbnailBudget = 2000;
  void SetThumbnailBudget(int rows) { thumbnailBudget_ = rows; }
  // The selected rows' photos go to the drifting window.
  void ApplySelection();
  bool IsSelected(int index) const;
  void RemoveAt(int index);
  void RemoveSelected();
  void RemoveAll();

  // Adds the photos among `paths` with a progress dialog owned by `owner`;
  // a cancel keeps what was added.
  void Import(const std::vector<std::wstring>& paths, HWND owner);
  // The same for the files and folders of a drop (folders with all they
  // hold); the drop is finished here.
  void ImportDrop(HDROP drop, HWND owner);
  // Files and folders given by name (pasted, opened), as a drop's.
  void ImportNamed(const std::vector<std::wstring>& names, HWND owner);
  // The names of the files of a drop, or of files copied to the clipboard
  // (the drop is not finished).
  static std::vector<std::wstring> DroppedNames(HDROP drop);
  // Where the list is kept; the program folder's IMG.DAT unless changed
  // before the list is loaded.
  const std::wstring& ListFilePath() const { return listFilePath_; }
  void SetListFilePath(std::wstring path) { listFilePath_ = std::move(path); }
  void Load(HWND owner);
  // Writes IMG.DAT now, after any write under way. Every change of the
  // rows writes it by itself soon after (within kSaveDelay, a burst of
  // changes in one write, on a worker of its own: a durable replacement
  // may take a while), so that a kill or a power cut loses at most the
  // last seconds.
  void Save();
  static constexpr UINT kSaveDelay = 2000;

 private:
  class ImportBatch;
  // The rows changed: IMG.DAT is written soon, `changed_` is told.
  void Changed();
  // The rows added since the last hand-over go to the workers (only those
  // on screen, during an import).
  void HandOverThumbnails(bool onScreenOnly);
  // The rows that keep their thumbnails now.
  RowRange KeptRows() const;
  // Other rows came into view: those far from it give their thumbnails
  // back, those near get theirs.
  void OnRowsMoved();
  // The rows on screen are made first.
  void ShowRowsOnScreenFirst();

  CDriftlet& driftlet_;
  std::function<void()> changed_;
  std::function<void()> deleteKey_;
  // The rows' data, declared before the list box that shows it.
  PhotoList model_;
  std::unique_ptr<CImgList> list_;
  int dpi_ = 96;
  int ThumbnailSide() const;
  std::wstring listFilePath_;
  int thumbnailNotices_ = 0;
  // Whether the rows changed since IMG.DAT was last written.
  bool unsaved_ = false;
  int thumbnailBudget_ = kThumbnailBudget;
  fw::CWorkNotice saveSoon_{[this] {
    if (unsaved_) SaveInBackground();
  }};
  // Writes the rows of now on the worker.
  void SaveInBackground();
  // One worker writes IMG.DAT, one snapshot after the other.
  fw::WorkerQueue<bool> saver_{{1, nullptr, nullptr, {}}};
  // Made with the list; stopped before the rows go.
  std::unique_ptr<Thumbnailer> thumbnailer_;
};

}  // namespace k3
