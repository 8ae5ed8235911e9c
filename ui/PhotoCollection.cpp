#include "ui/PhotoCollection.h"

#include <algorithm>
#include <new>
#include <utility>

#include "files/FileUtils.h"
#include "framework/Services.h"
#include "framework/Dpi.h"
#include "imaging/Thumbnails.h"
#include "ui/ImageListStore.h"
#include "ui/ViewRules.h"
#include "dialogs/ProgressDlg.h"

namespace k3 {

namespace {

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

  // True when the list was redrawn now.
  bool RowsAdded() {
    const ULONGLONG now = ::GetTickCount64();
    if (shown_ && now - last_ < 500) return false;
    shown_ = true;
    last_ = now;
    list_.SetRedraw(true);
    ::RedrawWindow(list_.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    list_.SetRedraw(false);
    return true;
  }

 private:
  fw::CListBox& list_;
  ULONGLONG last_ = 0;
  bool shown_ = false;
};

}  // namespace

PhotoCollection::PhotoCollection(CDriftlet& driftlet) : driftlet_(driftlet) {}

void PhotoCollection::Changed() {
  unsaved_ = true;
  saveSoon_.AskWithin(kSaveDelay);
  if (changed_) changed_();
}

// An import is one batch of the model's changes, told at its end; the
// list is redrawn twice a second meanwhile, when the rows on screen go to
// the workers (the others wait for the end, so that decoding does not take
// the processor from the rows) and the count line shows how many came.
class PhotoCollection::ImportBatch {
 public:
  explicit ImportBatch(PhotoCollection& photos) : photos_(photos), redraw_(*photos.list_), batch_(photos.model_) {}
  ~ImportBatch() { photos_.HandOverThumbnails(false); }
  ImportBatch(const ImportBatch&) = delete;
  ImportBatch& operator=(const ImportBatch&) = delete;

  void RowsAdded() {
    if (!redraw_.RowsAdded()) return;
    photos_.HandOverThumbnails(true);
    if (photos_.changed_) photos_.changed_();
  }

 private:
  PhotoCollection& photos_;
  BatchedRedraw redraw_;
  // Ends before the redraw: its notices (the selection reaches the drift,
  // the count line follows) come before the list is drawn again.
  PhotoList::Batch batch_;
};

bool PhotoCollection::Create(HWND parent, UINT id) {
  if (listFilePath_.empty()) listFilePath_ = GetModuleFolder() + L"IMG.DAT";
  list_ = std::make_unique<CImgList>();
  list_->SetDpi(dpi_);
  if (!list_->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_CLIPCHILDREN | WS_VSCROLL | LBS_NOTIFY |
                         LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                     RECT{0, 0, 0, 0}, parent, id)) {
    list_.reset();
    return false;
  }
  thumbnailer_ = std::make_unique<Thumbnailer>([this] {
    ++thumbnailNotices_;
    TakeThumbnails();
  });
  list_->OnScrolled([this] { OnRowsMoved(); });
  list_->OnDeleteKey([this] {
    if (deleteKey_) deleteKey_();
  });
  // Every change of the selection goes to the model: the user's clicks and
  // keys as the box made them, anyone's requests to the box instead of it.
  list_->OnSelectionMade([this] { model_.SetSelection(list_->GetSelItems()); });
  list_->OnSelectionAsked([this](int first, int last, bool on) { return model_.SelectRange(first, last, on); });
  model_.OnRowsChanged([this] { Changed(); });
  // The model's one notice of a new selection: the drift, the box's own
  // selection and the count line follow it.
  model_.OnSelectionChanged([this] {
    ApplySelection();
    if (list_) list_->ShowSelection(model_.Selected());
    if (changed_) changed_();
  });
  return true;
}

int PhotoCollection::ThumbnailSide() const { return ScaleForDpi(kThumbnailSide, RowDpi(dpi_)); }

void PhotoCollection::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (!list_) return;
  list_->SetDpi(dpi);
  for (int i = 0; i < Count(); ++i) {
    if (model_.At(i).image) model_.NeedThumbnail(i);
  }
  HandOverThumbnails(false);
}

void PhotoCollection::Close() {
  // The workers end first: no thumbnail arrives for rows that are going.
  thumbnailer_.reset();
  Save();
  if (list_) {
    list_->SendMessage(LB_RESETCONTENT);
    list_->DestroyWindow();
    list_.reset();
  }
  model_.Clear();
}

void PhotoCollection::EndSession() {
  // Written first: a worker stuck in a slow decode must not push the
  // write past the seconds the system gives.
  Save();
  thumbnailer_.reset();
}

int PhotoCollection::SelectedCount() const { return static_cast<int>(model_.Selected().size()); }

bool PhotoCollection::AddPhoto(const std::wstring& path) {
  if (!list_ || !IsPhotoFileName(path) || model_.Contains(path)) return false;
  PhotoHead head;
  if (thumbnailer_ && ReadPhotoHead(path.c_str(), head)) {
    const Size picture = UprightSize(head);
    auto entry = std::make_unique<CImgThumb>(path, nullptr, picture.width, picture.height);
    entry->head = head;
    if (!AddRow(std::move(entry))) return false;
    if (!model_.InBatch()) HandOverThumbnails(false);
    return true;
  }
  // Not a JPEG inside (a picture of another kind under the name): decoded
  // here, as it always was.
  CImg image;
  Size size{ThumbnailSide(), ThumbnailSide()};
  if (!LoadThumbnail(path.c_str(), image, size, true) || !EnsureDIBSection(image)) return false;
  std::unique_ptr<PixelBuffer> pixels;
  try {
    pixels = std::make_unique<PixelBuffer>(PixelBuffer::CopyOf(image.View()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return AddRow(std::make_unique<CImgThumb>(path, std::move(pixels), size.width, size.height));
}

bool PhotoCollection::AddRow(std::unique_ptr<CImgThumb> entry) {
  if (!list_ || !entry || model_.Contains(entry->path)) return false;
  const int row = list_->AddString(entry->path.c_str());
  if (row < 0) return false;
  const bool needsThumbnail = !entry->image;
  model_.Add(std::move(entry), needsThumbnail);
  list_->SetItemDataPtr(row, &model_.At(row));
  // The first photo is selected at once, so that it drifts; during an
  // import it starts to drift when the rows are in (its frames would take
  // the interface thread's time from the rows meanwhile).
  if (Count() == 1) model_.Select(0, true);
  return true;
}

void PhotoCollection::ApplySelection() {
  // The heads the rows read go with them: the drift does not read them
  // again.
  if (list_) driftlet_.LoadPhotos(model_.SelectedPaths(), model_.SelectedHeads());
}

bool PhotoCollection::IsSelected(int index) const { return model_.IsSelected(index); }

void PhotoCollection::HandOverThumbnails(bool onScreenOnly) {
  if (model_.Waiting() == 0 || !thumbnailer_) return;
  std::unordered_set<std::uint64_t> shown;
  if (onScreenOnly) {
    for (int row : list_->RowsOnScreen()) {
      if (row < Count()) shown.insert(model_.At(row).key);
    }
  }
  // Only the rows that keep their thumbnails are made; the others wait
  // until they come near the screen.
  for (PhotoList::Job& job : model_.TakeJobs(KeptRows(), onScreenOnly ? &shown : nullptr)) {
    thumbnailer_->Add(job.key, std::move(job.path), ThumbnailSide(), job.head);
  }
  ShowRowsOnScreenFirst();
}

RowRange PhotoCollection::KeptRows() const {
  if (!list_) return {};
  const std::vector<int> shown = list_->RowsOnScreen();
  return ThumbnailRows(Count(), shown.empty() ? 0 : shown.front(), static_cast<int>(shown.size()), thumbnailBudget_);
}

void PhotoCollection::OnRowsMoved() {
  // Rows far from the screen give their thumbnails back; they are made
  // again when they come near.
  if (Count() > thumbnailBudget_) model_.GiveBack(KeptRows());
  if (!model_.InBatch()) {
    HandOverThumbnails(false);
  } else {
    ShowRowsOnScreenFirst();
  }
}

void PhotoCollection::ShowRowsOnScreenFirst() {
  if (!list_ || !thumbnailer_) return;
  std::vector<Thumbnailer::Key> keys;
  for (int row : list_->RowsOnScreen()) {
    if (row < Count() && !model_.At(row).image) keys.push_back(model_.At(row).key);
  }
  thumbnailer_->ShowFirst(keys);
}

void PhotoCollection::TakeThumbnails() {
  if (!list_ || !thumbnailer_) return;
  std::vector<Thumbnailer::Made> made = thumbnailer_->TakeMade();
  RowRange kept = KeptRows();
  bool madeAtOldSize = false;
  for (Thumbnailer::Made& m : made) {
    const int index = model_.IndexOf(m.key);
    if (index < 0) continue;
    CImgThumb& entry = model_.At(index);
    if (!m.ok && m.noMemory) {
      // The photo may be fine: the row stays, and its thumbnail is tried
      // again when the rows next move.
      model_.NeedThumbnail(index);
      continue;
    }
    if (!m.ok) {
      // Its header looked like a photo's, its data could not be decoded:
      // it is not listed, as a file that cannot be shown never was.
      RemoveAt(index);
      kept = KeptRows();
      continue;
    }
    entry.width = m.picture.width;
    entry.height = m.picture.height;
    if (!kept.Holds(index) || m.side != ThumbnailSide()) {
      // The row went far from the screen meanwhile, or the DPI changed
      // (the thumbnail it has stands in, and the new one is made now).
      model_.NeedThumbnail(index);
      madeAtOldSize = madeAtOldSize || m.side != ThumbnailSide();
      continue;
    }
    entry.image = std::move(m.image);
    list_->RedrawRow(index);
  }
  if (madeAtOldSize && !model_.InBatch()) HandOverThumbnails(false);
}

std::size_t PhotoCollection::ThumbnailsPending() const {
  return model_.Waiting() + (thumbnailer_ ? thumbnailer_->Pending() : 0);
}

void PhotoCollection::RemoveAt(int index) {
  if (index < 0 || index >= Count() || !list_) return;
  if (thumbnailer_) thumbnailer_->Remove(model_.At(index).key);
  list_->DeleteString(index);
  model_.RemoveAt(index);
}

void PhotoCollection::RemoveSelected() {
  if (!list_) return;
  const std::vector<int> selected = model_.Selected();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) RemoveAt(*it);
}

void PhotoCollection::RemoveAll() {
  if (!list_) return;
  if (thumbnailer_) thumbnailer_->Clear();
  list_->SendMessage(LB_RESETCONTENT);
  model_.RemoveAll();
}

void PhotoCollection::Import(const std::vector<std::wstring>& paths, HWND owner) {
  if (paths.empty() || !list_) return;
  ImportBatch batch(*this);
  CProgressDlg progress;
  progress.Open(owner, 0, static_cast<int>(paths.size()), true);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (AddPhoto(paths[i])) batch.RowsAdded();
    if (!progress.SetPos(static_cast<int>(i))) break;
  }
}

std::vector<std::wstring> PhotoCollection::DroppedNames(HDROP drop) {
  std::vector<std::wstring> names;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    if (!length || !::DragQueryFileW(drop, i, name.data(), length + 1)) continue;
    name.resize(length);
    names.push_back(std::move(name));
  }
  return names;
}

void PhotoCollection::ImportDrop(HDROP drop, HWND owner) {
  const std::vector<std::wstring> names = DroppedNames(drop);
  ::DragFinish(drop);
  ImportNamed(names, owner);
}

void PhotoCollection::ImportNamed(const std::vector<std::wstring>& names, HWND owner) {
  std::vector<std::wstring> paths;
  for (const std::wstring& name : names) {
    // The window keeps painting while a large folder is listed.
    EnumeratePaths(name.c_str(), paths, true, false, [] { PumpPaintMessages(); });
  }
  Import(paths, owner);
}

void PhotoCollection::Load(HWND owner) {
  if (!list_) return;
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(listFilePath_.c_str(), GetFileExInfoStandard, &info)) return;
  const std::vector<std::wstring> photos = LoadImageListFile(listFilePath_);
  if (photos.empty()) return;
  const unsigned long long length = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  ImportBatch batch(*this);
  CProgressDlg progress;
  progress.Open(owner, 0, static_cast<int>(std::min<unsigned long long>(length, 0x7FFFFFFF)), true);
  int position = 0;
  for (const std::wstring& photo : photos) {
    if (!AddPhoto(photo)) continue;
    batch.RowsAdded();
    position += static_cast<int>(kImageListRecordBytes);
    if (!progress.SetPos(position)) break;
  }
  // Rows just read from the file need no writing (unless some were left
  // out).
  if (static_cast<std::size_t>(Count()) == photos.size()) {
    unsaved_ = false;
    saveSoon_.Forget();
  }
}

void PhotoCollection::SaveInBackground() {
  std::vector<std::wstring> photos;
  photos.reserve(model_.All().size());
  for (const auto& e : model_.All()) photos.push_back(e->path);
  // A write that fails leaves the file as it was; the next change or the
  // end writes it again.
  unsaved_ = false;
  saver_.Take();
  saver_.Add(1, [path = listFilePath_, photos = std::move(photos)] { return SaveImageListFile(path, photos); });
}

void PhotoCollection::Save() {
  std::vector<std::wstring> photos;
  photos.reserve(model_.All().size());
  for (const auto& e : model_.All()) photos.push_back(e->path);
  saveSoon_.Forget();
  // A write waiting is dropped, one under way finishes first: this one,
  // the newest, comes last.
  saver_.Cancel();
  // A list that could not be written is tried again at the next change
  // and at the end.
  unsaved_ = !SaveImageListFile(listFilePath_, photos);
}

}  // namespace k3
