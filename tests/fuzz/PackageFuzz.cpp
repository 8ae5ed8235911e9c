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
    std::size_t end = k3::kPackageHeaderBytes;
    unsigned sum = 0;
    for (const k3::PackageRecord& r : p.records) {
      if (r.offset != end + 4 || r.offset + r.size > size) std::abort();
      if (r.size) sum += copy[r.offset] + copy[r.offset + r.size - 1];
      end = r.offset + r.size;
    }
    if (end != size) std::abort();
    const k3::DisplaySettings s = k3::SettingsFromBytes(p.settings);
    if (k3::SettingsToBytes(s)[0] != p.settings[0]) std::abort();
    (void)sum;
  }
  std::free(copy);
  return 0;
}
