#include "imaging/DecodeBudget.h"

#include <utility>

namespace k3 {

DecodeBudget::Share& DecodeBudget::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    Release();
    budget_ = std::exchange(other.budget_, nullptr);
    bytes_ = other.bytes_;
  }
  return *this;
}

void DecodeBudget::Share::Release() {
  if (budget_) std::exchange(budget_, nullptr)->Give(bytes_);
}

DecodeBudget::Share DecodeBudget::Take(std::uint64_t bytes) {
  if (!CouldFit(bytes)) return Share{};
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [&] { return held_ + bytes <= total_; });
  held_ += bytes;
  return Share(this, bytes);
}

void DecodeBudget::Give(std::uint64_t bytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ -= bytes;
  }
  freed_.notify_all();
}

std::uint64_t DecodeBudget::Held() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

DecodeBudget& DecodeBudget::Process() {
  static DecodeBudget budget(kProcessBytes);
  return budget;
}

}  // namespace k3
