// The package file: the 30-byte magic "Kelvarstone Driftlet File V1.0", the
// 1024-byte display settings record, then one record per photo (a 32-bit
// little-endian byte count and the photo file's bytes) up to the end of the
// file. No count, names or checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <span>
#include <vector>

namespace k3 {

inline constexpr char kPackageMagic[] = "Kelvarstone Driftlet File V1.0";
inline constexpr std::size_t kPackageMagicBytes = 30;
inline constexpr std::size_t kPackageSettingsBytes = 1024;  // the display settings record
inline constexpr std::size_t kPackageHeaderBytes = 1054;    // magic + settings
static_assert(sizeof kPackageMagic - 1 == kPackageMagicBytes);

// The settings record as a package stores it, byte for byte.
using PackageSettings = std::array<std::uint8_t, kPackageSettingsBytes>;

// Builds packages in memory.
class PackageWriter {
 public:
  explicit PackageWriter(std::span<const std::uint8_t> settings);
  // Appends one photo record. False when the photo is 4 GiB or larger.
  bool AddPhoto(std::span<const std::uint8_t> bytes);
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::size_t PhotoCount() const { return photos_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t photos_ = 0;
};

enum class PackageStatus {
  Ok,
  NotPackage,  // shorter than the header, or another magic
  Truncated,   // a record's count or bytes run past the end of the file
};

struct PackageRecord {
  std::size_t offset = 0;  // of the photo bytes
  std::uint32_t size = 0;
};

struct ParsedPackage {
  PackageStatus status = PackageStatus::NotPackage;
  const std::uint8_t* settings = nullptr;  // 1024 bytes inside the data
  std::vector<PackageRecord> records;
};

// Reads a whole package without reading past its end; every record of an Ok
// package lies inside the data and holds at least one byte (empty records
// are passed over).
ParsedPackage ParsePackage(const std::uint8_t* data, std::size_t size);

}  // namespace k3
