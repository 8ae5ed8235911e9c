// libFuzzer target: the package reader on any bytes. Every record of an
// accepted package must lie inside the data; AddressSanitizer catches any
// read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "desktop/DisplaySettings.h"
#include "files/PackageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A heap copy of exactly `size` bytes, so a read one past the end is caught.
  std::uint8_t* copy = static_cast<std::uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  const k3::ParsedPackage p = k3::ParsePackage(copy, size);
  if (p.status == k3::PackageStatus::Ok) {
    // Records follow each other; only empty records (four zero bytes of
    // count each) may lie between them, and the last one ends the file or
    // is followed by empty records alone. Every record kept holds a byte,
    // so there are never more records than the file has bytes.
    if (p.records.size() > size / 5) std::abort();
    std::size_t end = k3::kPackageHeaderBytes;
    unsigned sum = 0;
    for (const k3::PackageRecord& r : p.records) {
      if (r.size == 0 || r.offset < end + 4 || (r.offset - 4 - end) % 4 != 0 || r.offset + r.size > size) std::abort();
      for (std::size_t at = end; at < r.offset - 4; ++at) {
        if (copy[at] != 0) std::abort();
      }
      sum += copy[r.offset] + copy[r.offset + r.size - 1];
      end = r.offset + r.size;
    }
    if ((size - end) % 4 != 0) std::abort();
    for (std::size_t at = end; at < size; ++at) {
      if (copy[at] != 0) std::abort();
    }
    const k3::DisplaySettings s = k3::SettingsFromBytes(p.settings);
    if (k3::SettingsToBytes(s)[0] != p.settings[0]) std::abort();
    (void)sum;
  }
  std::free(copy);
  return 0;
}
