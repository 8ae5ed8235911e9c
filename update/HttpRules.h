// The portable parts of the HTTP download: the result block that grows in
// 64 KiB steps, the target of a redirect in the raw response headers and
// the progress of a download in KiB. Tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/SetupRules.h"

namespace k3 {

inline constexpr std::size_t kFetchChunkBytes = 65536;

// The capacity for a requested length: the next multiple of 64 KiB (a
// length of 0 gives 64 KiB).
std::size_t FetchCapacity(std::size_t requested);

// The body of a response as it is read: a block from the C heap whose
// allocated size is the length rounded up to 64 KiB and whose bytes beyond
// the length are zero. The block can be handed out to be freed with free().
class FetchBlock {
 public:
  FetchBlock() = default;
  ~FetchBlock();
  FetchBlock(const FetchBlock&) = delete;
  FetchBlock& operator=(const FetchBlock&) = delete;

  // Appends n bytes; false (the block as it was) when memory is exhausted.
  bool Append(const void* bytes, std::size_t n);

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t allocated() const { return allocated_; }

  // Hands the block out (to be freed with free()); the object is empty.
  std::uint8_t* Release();

 private:
  // Makes room for `requested` bytes; the bytes from the length on are zero.
  bool Grow(std::size_t requested);

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t allocated_ = 0;
};

// The redirect target in a response's raw headers (lines ending in CR LF):
// the text after "Location: " up to the end of its line; nothing without.
std::optional<std::wstring> RedirectTarget(std::wstring_view rawHeaders);

// A message text from its format: the first "%d" takes the code, the first
// "%s" the text; nothing else of the format is read as a directive.
std::wstring FillCodeAndText(std::wstring_view format, long code, std::wstring_view text = {});

// The progress of a download as the progress dialog is told it: whole KiB.
int ProgressKiB(std::size_t bytes);

// What one request may take: at most `maxBytes` of body and `maxMs` from
// its start to its last byte. Going over either ends the request.
struct FetchLimits {
  std::size_t maxBytes = 0;
  std::uint32_t maxMs = 0;
  // The longest single wait for the server (to connect, to send, for the
  // next bytes).
  std::uint32_t waitMs = 20000;
};

// The largest package the update client takes.
inline constexpr std::size_t kMaxPackageBytes = kMaxSetupPackageBytes;
// The version and length replies are a few characters.
inline constexpr std::size_t kMaxReplyBytes = 64;

// A version or length reply: a few dozen bytes within 30 s.
FetchLimits ReplyLimits();
// A detached signature: at most 64 KiB within 30 s.
FetchLimits SignatureLimits();
// The package of an announced length: exactly that many bytes at most, in
// 60 s plus one second for each 16 KiB (a slow line still finishes, a
// server that sends a byte now and then does not hold the program).
// Nothing for a length of 0 or less or over 256 MiB.
std::optional<FetchLimits> PackageLimits(long announced);
// Any other request: 256 MiB within 20 minutes.
FetchLimits DefaultLimits();

// The time-out of the next wait for the server: the usual one, or what is
// left of the request's time when that is less; 0 when its time is over.
std::uint32_t NextWaitMs(std::uint64_t elapsedMs, std::uint32_t maxMs, std::uint32_t usualMs);

// Whether `more` bytes after `have` stay within `ceiling`.
bool FitsCeiling(std::size_t have, std::size_t more, std::size_t ceiling);

}  // namespace k3
