#include "files/PackageCodec.h"

#include <cstring>

namespace k3 {

PackageWriter::PackageWriter(std::span<const std::uint8_t> settings) {
  bytes_.reserve(kPackageHeaderBytes);
  bytes_.insert(bytes_.end(), kPackageMagic, kPackageMagic + kPackageMagicBytes);
  std::uint8_t record[kPackageSettingsBytes] = {};
  std::memcpy(record, settings.data(), settings.size() < kPackageSettingsBytes ? settings.size() : kPackageSettingsBytes);
  bytes_.insert(bytes_.end(), record, record + kPackageSettingsBytes);
}

bool PackageWriter::AddPhoto(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > 0xFFFFFFFFu) return false;
  const std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
  const std::uint8_t count[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                 static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  bytes_.insert(bytes_.end(), count, count + 4);
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  ++photos_;
  return true;
}

ParsedPackage ParsePackage(const std::uint8_t* data, std::size_t size) {
  ParsedPackage p;
  if (!data || size < kPackageHeaderBytes || std::memcmp(data, kPackageMagic, kPackageMagicBytes) != 0) return p;
  p.settings = data + kPackageMagicBytes;
  std::size_t f = kPackageHeaderBytes;
  // The records end exactly at the end of the file; a header alone has no
  // room for the first count and counts as truncated.
  do {
    if (size - f < 4) {
      p.status = PackageStatus::Truncated;
      p.records.clear();
      return p;
    }
    const std::uint32_t n = static_cast<std::uint32_t>(data[f]) | static_cast<std::uint32_t>(data[f + 1]) << 8 |
                            static_cast<std::uint32_t>(data[f + 2]) << 16 |
                            static_cast<std::uint32_t>(data[f + 3]) << 24;
    if (n > size - f - 4) {
      p.status = PackageStatus::Truncated;
      p.records.clear();
      return p;
    }
    // An empty record names no photo: it is passed over, so that a file of
    // millions of them makes no records (and no paths) at all. Every record
    // kept holds at least one byte, so there are fewer records than bytes.
    if (n > 0) p.records.push_back(PackageRecord{f + 4, n});
    f += 4 + static_cast<std::size_t>(n);
  } while (f < size);
  p.status = PackageStatus::Ok;
  return p;
}

}  // namespace k3
