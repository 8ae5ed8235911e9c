#include "ui/ThumbnailOrder.h"

namespace k3 {

void ThumbnailOrder::Add(Key key) {
  if (!waiting_.insert(key).second) return;
  inOrder_.push_back(key);
}

void ThumbnailOrder::Remove(Key key) {
  // The queues keep the key until it comes up; it is skipped then.
  waiting_.erase(key);
  if (waiting_.empty()) {
    onScreen_.clear();
    inOrder_.clear();
  }
}

void ThumbnailOrder::Clear() {
  waiting_.clear();
  onScreen_.clear();
  inOrder_.clear();
}

void ThumbnailOrder::ShowFirst(const std::vector<Key>& onScreen) {
  onScreen_.clear();
  for (Key key : onScreen) {
    if (waiting_.count(key)) onScreen_.push_back(key);
  }
}

std::optional<ThumbnailOrder::Key> ThumbnailOrder::TakeFrom(std::deque<Key>& queue) {
  while (!queue.empty()) {
    const Key key = queue.front();
    queue.pop_front();
    if (waiting_.erase(key)) return key;
  }
  return std::nullopt;
}

std::optional<ThumbnailOrder::Key> ThumbnailOrder::Take() {
  if (auto key = TakeFrom(onScreen_)) return key;
  return TakeFrom(inOrder_);
}

}  // namespace k3
