// The photos the user gathered in the main view: the rows of the photo list
// and their entries, the selection handed to the drifting window, the
// import of dropped files with its progress, and the list kept in IMG.DAT.
// A row can be added before its thumbnail exists (an entry without an
// image draws its background only), so that thumbnails can come later.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Driftlet.h"
#include "ui/ImgList.h"

namespace k3 {

class PhotoCollection {
 public:
  explicit PhotoCollection(CDriftlet& driftlet);
  PhotoCollection(const PhotoCollection&) = delete;
  PhotoCollection& operator=(const PhotoCollection&) = delete;

  // Told after the rows or the selection changed (the count line and the
  // drop hint follow them).
  std::function<void()> changed;

  // Makes the list box as a child of `parent`.
  bool Create(HWND parent, UINT id);
  // Writes IMG.DAT and lets the rows go without handing the drifting
  // window a new selection for each one (it is gone already).
  void Close();

  CImgList* List() const { return list_.get(); }
  int Count() const { return static_cast<int>(entries_.size()); }
  int SelectedCount() const;
  const std::vector<std::unique_ptr<CImgThumb>>& Entries() const { return entries_; }

  // A photo file with its thumbnail: false for a path listed already, not
  // a photo or not decodable.
  bool AddPhoto(const std::wstring& path);
  // A row for an entry made elsewhere; false for a path listed already.
  bool AddRow(std::unique_ptr<CImgThumb> entry);
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
  // Where the list is kept; the program folder's IMG.DAT unless changed
  // before the list is loaded.
  const std::wstring& ListFilePath() const { return listFilePath_; }
  void SetListFilePath(std::wstring path) { listFilePath_ = std::move(path); }
  void Load(HWND owner);
  void Save() const;

 private:
  CDriftlet& driftlet_;
  std::unique_ptr<CImgList> list_;
  std::vector<std::unique_ptr<CImgThumb>> entries_;
  std::wstring listFilePath_;
};

}  // namespace k3
