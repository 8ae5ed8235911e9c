// One budget of memory for every decode of the process: each decode takes
// its share (the estimate of what it allocates) before it allocates, waits
// while the shares of the others leave too little, and is refused at once
// when its share could never fit. So several workers together stay within
// the budget that one decode alone might have reached. Pure, thread-safe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace k3 {

class DecodeBudget {
 public:
  // About 512 MB for a 64-bit process, 192 MB for a 32-bit one.
  static constexpr std::uint64_t kProcessBytes = sizeof(void*) >= 8 ? 512ull * 1024 * 1024 : 192ull * 1024 * 1024;

  explicit DecodeBudget(std::uint64_t total) : total_(total) {}
  DecodeBudget(const DecodeBudget&) = delete;
  DecodeBudget& operator=(const DecodeBudget&) = delete;

  // A share taken from the budget, given back when it goes; empty (false)
  // when it could never fit.
  class Share {
   public:
    Share() = default;
    Share(Share&& other) noexcept : budget_(other.budget_), bytes_(other.bytes_) { other.budget_ = nullptr; }
    Share& operator=(Share&& other) noexcept;
    ~Share() { Release(); }
    explicit operator bool() const { return budget_ != nullptr; }
    std::uint64_t Bytes() const { return bytes_; }

   private:
    friend class DecodeBudget;
    Share(DecodeBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {}
    void Release();
    DecodeBudget* budget_ = nullptr;
    std::uint64_t bytes_ = 0;
  };

  // Waits until `bytes` fit beside the shares held; empty when they never
  // can (more than the whole budget).
  Share Take(std::uint64_t bytes);
  // Whether `bytes` could ever fit.
  bool CouldFit(std::uint64_t bytes) const { return bytes <= total_; }
  std::uint64_t Held() const;
  std::uint64_t Total() const { return total_; }

  // The process's own.
  static DecodeBudget& Process();

 private:
  void Give(std::uint64_t bytes);
  const std::uint64_t total_;
  mutable std::mutex mutex_;
  std::condition_variable freed_;
  std::uint64_t held_ = 0;
};

}  // namespace k3
