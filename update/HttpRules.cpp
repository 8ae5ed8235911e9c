#include "update/HttpRules.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace k3 {

std::size_t FetchCapacity(std::size_t requested) {
  if (requested == 0) return kFetchChunkBytes;
  return (requested + kFetchChunkBytes - 1) / kFetchChunkBytes * kFetchChunkBytes;
}

FetchBlock::~FetchBlock() { std::free(data_); }

bool FetchBlock::Grow(std::size_t requested) {
  if (requested > SIZE_MAX - kFetchChunkBytes) return false;
  const std::size_t capacity = FetchCapacity(requested);
  if (!data_) {
    data_ = static_cast<std::uint8_t*>(std::calloc(capacity, 1));
    if (!data_) return false;
    allocated_ = capacity;
    return true;
  }
  if (allocated_ == requested) return true;
  if (capacity != allocated_) {
    auto* grown = static_cast<std::uint8_t*>(std::realloc(data_, capacity));
    if (!grown) return false;
    if (capacity > allocated_) std::memset(grown + allocated_, 0, capacity - allocated_);
    data_ = grown;
    allocated_ = capacity;
    return true;
  }
  std::memset(data_ + requested, 0, allocated_ - requested);
  return true;
}

bool FetchBlock::Append(const void* bytes, std::size_t n) {
  if (n == 0) return true;
  if (n > SIZE_MAX - size_ || !Grow(size_ + n)) return false;
  std::memcpy(data_ + size_, bytes, n);
  size_ += n;
  return true;
}

std::uint8_t* FetchBlock::Release() {
  std::uint8_t* out = data_;
  data_ = nullptr;
  size_ = allocated_ = 0;
  return out;
}

std::optional<std::wstring> RedirectTarget(std::wstring_view rawHeaders) {
  constexpr std::wstring_view key = L"Location: ";
  const std::size_t at = rawHeaders.find(key);
  if (at == std::wstring_view::npos) return std::nullopt;
  const std::size_t from = at + key.size();
  std::size_t to = rawHeaders.find(L"\r\n", from);
  if (to == std::wstring_view::npos) to = rawHeaders.size();
  return std::wstring(rawHeaders.substr(from, to - from));
}

std::wstring FillCodeAndText(std::wstring_view format, long code, std::wstring_view text) {
  std::wstring out;
  bool codeDone = false, textDone = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (!codeDone && format[i + 1] == L'd') {
        out += std::to_wstring(code);
        codeDone = true;
        ++i;
        continue;
      }
      if (!textDone && format[i + 1] == L's') {
        out += text;
        textDone = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

int ProgressKiB(std::size_t bytes) {
  const std::size_t kib = bytes / 1024;
  return kib > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(kib);
}

FetchLimits ReplyLimits() { return {kMaxReplyBytes, 30000}; }

FetchLimits SignatureLimits() { return {64 * 1024, 30000}; }

std::optional<FetchLimits> PackageLimits(long announced) {
  if (announced <= 0 || static_cast<unsigned long>(announced) > kMaxPackageBytes) return std::nullopt;
  const std::size_t bytes = static_cast<std::size_t>(announced);
  return FetchLimits{bytes, static_cast<std::uint32_t>(60000 + bytes / 16384 * 1000)};
}

FetchLimits DefaultLimits() { return {kMaxPackageBytes, 20 * 60 * 1000}; }

std::uint32_t NextWaitMs(std::uint64_t elapsedMs, std::uint32_t maxMs, std::uint32_t usualMs) {
  if (elapsedMs >= maxMs) return 0;
  const std::uint64_t left = maxMs - elapsedMs;
  return left < usualMs ? static_cast<std::uint32_t>(left) : usualMs;
}

bool FitsCeiling(std::size_t have, std::size_t more, std::size_t ceiling) {
  return have <= ceiling && more <= ceiling - have;
}

}  // namespace k3
