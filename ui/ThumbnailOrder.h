// The order in which thumbnails are made: the rows on screen first, in the
// order they show, then every other row in list order. Rows are named by a
// key that stays with the row (an index would change under a deletion).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_set>
#include <vector>

#include "framework/WorkerQueue.h"

namespace k3 {

class ThumbnailOrder final : public fw::JobOrder {
 public:
  // A row at the end of the list, waiting for its thumbnail; a key waiting
  // already is not added twice.
  void Add(Key key) override;
  // The row is gone (or has its thumbnail): it is never handed out again.
  void Remove(Key key) override;
  void Clear() override;
  // The rows now on screen, top to bottom: those still waiting go first.
  void ShowFirst(const std::vector<Key>& onScreen) override;
  // The next row to make a thumbnail for, no longer waiting; none when all
  // are made.
  std::optional<Key> Take() override;
  bool Waiting(Key key) const { return waiting_.count(key) != 0; }
  std::size_t Count() const override { return waiting_.size(); }

 private:
  std::optional<Key> TakeFrom(std::deque<Key>& queue);

  std::deque<Key> onScreen_;
  std::deque<Key> inOrder_;
  std::unordered_set<Key> waiting_;
};

}  // namespace k3
