#include "ui/PhotoList.h"

#include <algorithm>
#include <utility>

namespace k3 {

void PhotoList::Tell(const std::function<void()>& told) {
  if (batches_ > 0) {
    (&told == &rowsChanged_ ? rowsChangedInBatch_ : selectionChangedInBatch_) = true;
    return;
  }
  if (told) told();
}

void PhotoList::EndBatch() {
  if (--batches_ > 0) return;
  if (std::exchange(rowsChangedInBatch_, false)) Tell(rowsChanged_);
  if (std::exchange(selectionChangedInBatch_, false)) Tell(selectionChanged_);
}

bool PhotoList::Add(std::unique_ptr<CImgThumb> entry, bool needsThumbnail) {
  if (!entry || Contains(entry->path)) return false;
  entry->key = nextKey_++;
  entry->selected = false;
  listed_.insert(entry->path);
  if (needsThumbnail) waiting_.push_back(Job{entry->key, entry->path, entry->head});
  entries_.push_back(std::move(entry));
  Tell(rowsChanged_);
  return true;
}

void PhotoList::RemoveAt(int index) {
  if (index < 0 || index >= Count()) return;
  const CImgThumb& entry = At(index);
  const Key key = entry.key;
  const bool wasSelected = entry.selected;
  std::erase_if(waiting_, [key](const Job& job) { return job.key == key; });
  listed_.erase(entry.path);
  entries_.erase(entries_.begin() + index);
  Tell(rowsChanged_);
  if (wasSelected) Tell(selectionChanged_);
}

void PhotoList::RemoveAll() {
  if (entries_.empty()) return;
  const bool anySelected = std::any_of(entries_.begin(), entries_.end(), [](const auto& e) { return e->selected; });
  Clear();
  Tell(rowsChanged_);
  if (anySelected) Tell(selectionChanged_);
}

void PhotoList::Clear() {
  entries_.clear();
  listed_.clear();
  waiting_.clear();
}

int PhotoList::IndexOf(Key key) const {
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), key,
                                   [](const std::unique_ptr<CImgThumb>& e, Key k) { return e->key < k; });
  return at != entries_.end() && (*at)->key == key ? static_cast<int>(at - entries_.begin()) : -1;
}

void PhotoList::Select(int index, bool on) {
  if (index < 0 || index >= Count() || At(index).selected == on) return;
  At(index).selected = on;
  Tell(selectionChanged_);
}

bool PhotoList::SelectRange(int first, int last, bool on) {
  if (first == -1) {
    first = 0;
    last = Count() - 1;
  }
  if (first < 0 || last < first || last >= Count()) return first == 0 && Count() == 0;
  bool changed = false;
  for (int i = first; i <= last; ++i) {
    if (std::exchange(At(i).selected, on) != on) changed = true;
  }
  if (changed) Tell(selectionChanged_);
  return true;
}

void PhotoList::SetSelection(const std::vector<int>& rows) {
  std::vector<bool> wanted(entries_.size(), false);
  for (int row : rows) {
    if (row >= 0 && row < Count()) wanted[static_cast<std::size_t>(row)] = true;
  }
  bool changed = false;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i]->selected != wanted[i]) {
      entries_[i]->selected = wanted[i];
      changed = true;
    }
  }
  if (changed) Tell(selectionChanged_);
}

bool PhotoList::IsSelected(int index) const {
  return index >= 0 && index < Count() && entries_[static_cast<std::size_t>(index)]->selected;
}

std::vector<int> PhotoList::Selected() const {
  std::vector<int> rows;
  for (int i = 0; i < Count(); ++i) {
    if (entries_[static_cast<std::size_t>(i)]->selected) rows.push_back(i);
  }
  return rows;
}

std::vector<std::wstring> PhotoList::SelectedPaths() const {
  std::vector<std::wstring> paths;
  for (const auto& entry : entries_) {
    if (entry->selected) paths.push_back(entry->path);
  }
  return paths;
}

std::vector<PhotoHead> PhotoList::SelectedHeads() const {
  std::vector<PhotoHead> heads;
  for (const auto& entry : entries_) {
    if (entry->selected) heads.push_back(entry->head);
  }
  return heads;
}

void PhotoList::NeedThumbnail(int index) {
  if (index < 0 || index >= Count()) return;
  const CImgThumb& entry = At(index);
  waiting_.push_back(Job{entry.key, entry.path, entry.head});
}

std::vector<PhotoList::Job> PhotoList::TakeJobs(const RowRange& kept, const std::unordered_set<Key>* onlyKeys) {
  std::vector<Job> jobs;
  std::erase_if(waiting_, [&](Job& job) {
    if (onlyKeys && !onlyKeys->count(job.key)) return false;
    const int index = IndexOf(job.key);
    if (index < 0) return true;
    if (!kept.Holds(index)) return false;
    jobs.push_back(std::move(job));
    return true;
  });
  return jobs;
}

void PhotoList::GiveBack(const RowRange& kept) {
  for (int i = 0; i < Count(); ++i) {
    CImgThumb& entry = At(i);
    if (entry.image && !kept.Holds(i)) {
      entry.image.reset();
      waiting_.push_back(Job{entry.key, entry.path, entry.head});
    }
  }
}

}  // namespace k3
