// libFuzzer targets for the readers of untrusted bytes besides the package:
// a JPEG's facts, the JPEG decoder at each reduction under a decoding
// budget, the photo list IMG.DAT and the update service's replies. Each
// reads a heap copy of exactly the input, so that AddressSanitizer catches a
// read one past its end, and aborts where a reader broke its promise.
// Built one target at a time by scripts/fuzz.sh (K3_FUZZ_TARGET names the
// entry point libFuzzer calls); the native tests replay every corpus.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/DecodeBudget.h"
#include "imaging/Exif.h"
#include "imaging/JpegDecode.h"
#include "ui/ImageListFile.h"
#include "update/UpdateRules.h"

namespace {

// The input in a heap block of its own size.
struct Copy {
  std::vector<std::uint8_t> bytes;
  Copy(const std::uint8_t* data, std::size_t size) : bytes(data, data + size) { bytes.shrink_to_fit(); }
  const std::uint8_t* data() const { return bytes.empty() ? nullptr : bytes.data(); }
  std::size_t size() const { return bytes.size(); }
};

}  // namespace

int FuzzJpegFacts(const std::uint8_t* data, std::size_t size) {
  const Copy copy(data, size);
  const k3::JpegFacts facts = k3::ReadJpegFacts(copy.data(), copy.size());
  // A preview is reported only wholly inside the bytes.
  if (facts.thumbnailSize && (facts.thumbnailOffset > size || facts.thumbnailSize > size - facts.thumbnailOffset)) {
    std::abort();
  }
  if (facts.orientation < 0 || facts.orientation > 8) std::abort();
  return 0;
}

int FuzzJpegDecode(const std::uint8_t* data, std::size_t size) {
  const Copy copy(data, size);
  // A budget of its own, small enough for the fuzzer's memory limit.
  static k3::DecodeBudget budget(256ull * 1024 * 1024);
  for (int reduction : {8, 4, 2, 1}) {
    std::vector<std::uint8_t> pixels;
    k3::Size asked{0, 0};
    bool damaged = false, tooLarge = false;
    const bool ok = k3::DecodeJpeg(
        copy.data(), copy.size(), reduction,
        [&](k3::Size s) {
          asked = s;
          pixels.assign(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height) * 3, 0);
          return k3::PixelView{pixels.data(), s.width, s.height, s.width * 3, 3};
        },
        &damaged, &tooLarge, &budget);
    if (ok && (asked.width <= 0 || asked.height <= 0 || tooLarge)) std::abort();
    if (budget.Held() != 0) std::abort();  // every share given back
  }
  return 0;
}

int FuzzImageList(const std::uint8_t* data, std::size_t size) {
  const Copy copy(data, size);
  k3::ImageListPaths paths;
  paths.toAnsi = [](const std::wstring& w) { return std::optional<std::string>(std::string(w.begin(), w.end())); };
  paths.fromAnsi = [](std::string_view s) { return std::wstring(s.begin(), s.end()); };
  paths.shortForm = [](const std::wstring&) { return std::optional<std::wstring>(); };
  paths.longForm = [](const std::wstring& w) { return std::optional<std::wstring>(w); };
  const std::vector<std::wstring> photos = k3::DecodeImageList(copy.data(), copy.size(), paths);
  // One path at most for each whole record, none longer than a record.
  if (photos.size() > size / 512) std::abort();
  for (const std::wstring& p : photos) {
    if (p.size() > 512) std::abort();
  }
  return 0;
}

int FuzzUpdateReply(const std::uint8_t* data, std::size_t size) {
  const Copy copy(data, size);
  k3::Version version{};
  // Only a reply of exactly eight characters is a version.
  if (k3::ParseServiceVersion(copy.data(), copy.size(), version) && size != 8) std::abort();
  const long announced = k3::ParseAnnouncedLength(copy.data(), copy.size());
  // A body is complete only at its announced length.
  if (k3::IsCompleteSetupPackage(copy.data(), copy.size(), announced) && static_cast<long>(size) != announced) {
    std::abort();
  }
  return 0;
}

#ifdef K3_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return K3_FUZZ_TARGET(data, size); }
#endif
