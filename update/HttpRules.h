// The portable parts of the HTTP download: the result block that grows in
// 64 KiB steps, the target of a redirect in the raw response headers and
// the progress of a download in KiB. Tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace k3
