#include <gtest/gtest.h>

#include <vector>

#include "TestImage.h"
#include "imaging/Exif.h"

namespace k3 {
namespace {

// A TIFF block written in either byte order.
struct TiffWriter {
  bool bigEndian;
  std::vector<std::uint8_t> bytes;
  explicit TiffWriter(bool big) : bigEndian(big) {
    bytes.push_back(big ? 'M' : 'I');
    bytes.push_back(big ? 'M' : 'I');
    U16(42);
    U32(8);
  }
  void U16(unsigned v) {
    if (bigEndian) {
      bytes.push_back(std::uint8_t(v >> 8));
      bytes.push_back(std::uint8_t(v));
    } else {
      bytes.push_back(std::uint8_t(v));
      bytes.push_back(std::uint8_t(v >> 8));
    }
  }
  void U32(std::uint32_t v) {
    if (bigEndian) {
      U16(v >> 16);
      U16(v & 0xFFFF);
    } else {
      U16(v & 0xFFFF);
      U16(v >> 16);
    }
  }
};

// SOI, a JFIF APP0, then an APP1 with an EXIF block holding IFD0 entries.
std::vector<std::uint8_t> Jpeg(int orientation, bool bigEndian = false, unsigned type = 3) {
  std::vector<std::uint8_t> b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x06, 'J', 'F', 'I', 'F'};
  TiffWriter w(bigEndian);
  auto u16 = [&](unsigned v) { w.U16(v); };
  auto u32 = [&](std::uint32_t v) { w.U32(v); };
  u16(2);  // two entries: a width tag first, then the orientation
  u16(0x0100); u16(4); u32(1); u32(640);
  u16(0x0112); u16(type); u32(1); u16(static_cast<unsigned>(orientation)); u16(0);
  u32(0);
  const std::vector<std::uint8_t>& tiff = w.bytes;
  const std::size_t length = 2 + 6 + tiff.size();
  b.insert(b.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  b.insert(b.end(), {'E', 'x', 'i', 'f', 0, 0});
  b.insert(b.end(), tiff.begin(), tiff.end());
  b.insert(b.end(), {0xFF, 0xDA, 0x00, 0x02, 0x11, 0x22});
  return b;
}

TEST(ExifOrientation, ReadsBothByteOrders) {
  for (int o = 1; o <= 8; ++o) {
    auto le = Jpeg(o), be = Jpeg(o, true);
    EXPECT_EQ(ReadExifOrientation(le.data(), le.size()), o);
    EXPECT_EQ(ReadExifOrientation(be.data(), be.size()), o);
  }
}

TEST(ExifOrientation, RejectsWhatIsNotThere) {
  auto bad = Jpeg(9);
  EXPECT_EQ(ReadExifOrientation(bad.data(), bad.size()), 0) << "out of range";
  auto wrongType = Jpeg(6, false, 4);
  EXPECT_EQ(ReadExifOrientation(wrongType.data(), wrongType.size()), 0);
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(ReadExifOrientation(png, sizeof png), 0);
  EXPECT_EQ(ReadExifOrientation(nullptr, 0), 0);
}

TEST(ExifOrientation, EveryTruncationIsSafe) {
  // Each prefix is read inside its bounds (AddressSanitizer checks the heap
  // copy) and gives either nothing or the full answer.
  const auto full = Jpeg(6);
  for (std::size_t n = 0; n < full.size(); ++n) {
    std::vector<std::uint8_t> prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    const int o = ReadExifOrientation(prefix.data(), prefix.size());
    EXPECT_TRUE(o == 0 || o == 6) << n;
  }
  // Lengths and offsets that point past the end.
  auto broken = Jpeg(6);
  broken[12] = 0xFF;  // APP1 length far too long
  EXPECT_EQ(ReadExifOrientation(broken.data(), broken.size()), 0);
  auto farIfd = Jpeg(6);
  farIfd[24] = 0xF0;  // IFD0 offset far outside the block
  EXPECT_EQ(ReadExifOrientation(farIfd.data(), farIfd.size()), 0);
}

// SOI, an APP1 EXIF block whose IFD0 holds the orientation and whose IFD1
// points at an embedded preview, then a baseline frame header of w x h.
std::vector<std::uint8_t> CameraJpeg(int orientation, int w, int h, bool bigEndian, bool preview = true) {
  TiffWriter t(bigEndian);
  auto u16 = [&](unsigned v) { t.U16(v); };
  auto u32 = [&](std::uint32_t v) { t.U32(v); };
  const std::vector<std::uint8_t> small = {0xFF, 0xD8, 0xFF, 0xD9, 1, 2, 3, 4};
  // IFD0 at 8: one entry, then the offset of IFD1 (8 + 2 + 12 + 4 = 26).
  u16(1);
  u16(0x0112); u16(3); u32(1); u16(static_cast<unsigned>(orientation)); u16(0);
  u32(preview ? 26 : 0);
  // IFD1 at 26: two entries; the preview follows at 26 + 2 + 24 + 4 = 56.
  u16(2);
  u16(0x0201); u16(4); u32(1); u32(56);
  u16(0x0202); u16(4); u32(1); u32(static_cast<std::uint32_t>(small.size()));
  u32(0);
  std::vector<std::uint8_t>& tiff = t.bytes;
  tiff.insert(tiff.end(), small.begin(), small.end());

  std::vector<std::uint8_t> b = {0xFF, 0xD8};
  const std::size_t length = 2 + 6 + tiff.size();
  b.insert(b.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  b.insert(b.end(), {'E', 'x', 'i', 'f', 0, 0});
  b.insert(b.end(), tiff.begin(), tiff.end());
  // SOF0: length 17, precision 8, height, width, 3 components.
  b.insert(b.end(), {0xFF, 0xC0, 0x00, 0x11, 0x08, std::uint8_t(h >> 8), std::uint8_t(h), std::uint8_t(w >> 8),
                     std::uint8_t(w), 0x03, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
  b.insert(b.end(), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
  return b;
}

TEST(JpegFacts, SizeOrientationAndEmbeddedPreviewInBothByteOrders) {
  for (bool big : {false, true}) {
    const std::vector<std::uint8_t> file = CameraJpeg(6, 4000, 3000, big);
    const JpegFacts f = ReadJpegFacts(file.data(), file.size());
    EXPECT_EQ(f.orientation, 6);
    EXPECT_EQ(f.stored.width, 4000);
    EXPECT_EQ(f.stored.height, 3000);
    ASSERT_EQ(f.thumbnailSize, 8u);
    ASSERT_LE(f.thumbnailOffset + f.thumbnailSize, file.size());
    EXPECT_EQ(file[f.thumbnailOffset], 0xFF);
    EXPECT_EQ(file[f.thumbnailOffset + 1], 0xD8);
    EXPECT_EQ(file[f.thumbnailOffset + 4], 1) << "the preview's own bytes";
  }
  const std::vector<std::uint8_t> plain = CameraJpeg(1, 640, 480, false, false);
  const JpegFacts f = ReadJpegFacts(plain.data(), plain.size());
  EXPECT_EQ(f.thumbnailSize, 0u) << "no IFD1, no preview";
  EXPECT_EQ(f.stored.width, 640);
  EXPECT_EQ(ReadJpegFacts(nullptr, 0).stored.width, 0);
}

TEST(JpegFacts, EveryTruncationIsSafeAndNeverPointsOutside) {
  const std::vector<std::uint8_t> file = CameraJpeg(3, 1200, 800, true);
  for (std::size_t n = 0; n <= file.size(); ++n) {
    // A copy of exactly n bytes, so that the sanitizer sees every read
    // past the end.
    std::vector<std::uint8_t> part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
    const JpegFacts f = ReadJpegFacts(part.data(), part.size());
    if (f.thumbnailSize) {
      EXPECT_LE(f.thumbnailOffset + f.thumbnailSize, n);
    }
  }
}

TEST(JpegFacts, AnExifRecordAfterTheFrameHeaderCountsAsBeforeIt) {
  // The frame header of a 64 x 48 picture right after SOI, then the EXIF
  // record: every reader turns the photo the same way.
  std::vector<std::uint8_t> b = Jpeg(6);
  const std::vector<std::uint8_t> frame = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x30, 0x00, 0x40, 0x01, 0x01, 0x11, 0x00};
  b.insert(b.begin() + 2, frame.begin(), frame.end());
  const JpegFacts facts = ReadJpegFacts(b.data(), b.size());
  EXPECT_EQ(facts.stored, (Size{64, 48}));
  EXPECT_EQ(facts.orientation, 6);
  EXPECT_EQ(ReadExifOrientation(b.data(), b.size()), 6);
  // Nothing after the start of the scan counts.
  std::vector<std::uint8_t> late = {0xFF, 0xD8};
  late.insert(late.end(), frame.begin(), frame.end());
  late.insert(late.end(), {0xFF, 0xDA, 0x00, 0x02});
  late.insert(late.end(), b.begin() + 2 + static_cast<std::ptrdiff_t>(frame.size()), b.end());
  EXPECT_EQ(ReadJpegFacts(late.data(), late.size()).orientation, 0);
}

TEST(OrientPixels, EveryOrientationStandsUpright) {
  // A 3 x 2 picture stored as the camera wrote it; after orienting, the
  // pixel that belongs at the upright top-left is there.
  test::TestImage stored(3, 2);
  stored.FillPattern();
  struct Expect {
    int orientation;
    int storedX, storedY;  // stored pixel that ends at the upright top-left
  };
  for (const Expect& e : {Expect{1, 0, 0}, Expect{2, 2, 0}, Expect{3, 2, 1}, Expect{4, 0, 1}, Expect{5, 0, 0},
                          Expect{6, 0, 1}, Expect{7, 2, 1}, Expect{8, 2, 0}}) {
    const Size size = OrientedSize({3, 2}, e.orientation);
    test::TestImage upright(size.width, size.height, 3, true);
    OrientPixels(stored.view, upright.view, e.orientation);
    EXPECT_EQ(upright.Pixel(0, 0), stored.Pixel(e.storedX, e.storedY)) << e.orientation;
  }
  EXPECT_EQ(OrientedSize({3, 2}, 6), (Size{2, 3}));
  EXPECT_EQ(OrientedSize({3, 2}, 3), (Size{3, 2}));
}

}  // namespace
}  // namespace k3
