// Scaled JPEG decoding: the reduction chosen for a size, and pictures
// decoded at a reduction against the whole picture averaged down, for
// colour, grey, CMYK, progressive, odd-sized, damaged and foreign bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "imaging/Exif.h"
#include "imaging/JpegDecode.h"

namespace k3 {
namespace {

TEST(JpegReduction, TheLargestThatStillHoldsTheNeededSize) {
  // An 18-MP photo for a 96-pixel thumbnail (fitted 96 x 54): an eighth.
  EXPECT_EQ(ChooseJpegReduction({5640, 3172}, {96, 54}), 8);
  // A 12-MP photo for a drifting size of 512 (512 x 384): 500 x 375 at an
  // eighth is too small, 1000 x 750 at a quarter holds it.
  EXPECT_EQ(ChooseJpegReduction({4000, 3000}, {512, 384}), 4);
  // Exactly enough, and one pixel more than an eighth gives.
  EXPECT_EQ(ChooseJpegReduction({800, 600}, {100, 75}), 8);
  EXPECT_EQ(ChooseJpegReduction({800, 600}, {101, 75}), 4);
  // Sides are rounded up, as the decoder does: 801 / 8 gives 101.
  EXPECT_EQ(ReducedSize({801, 601}, 8), (Size{101, 76}));
  EXPECT_EQ(ChooseJpegReduction({801, 600}, {101, 75}), 8);
  // Either side can decide.
  EXPECT_EQ(ChooseJpegReduction({800, 600}, {100, 76}), 4);
  // Small pictures and enlargements are decoded whole; so is "any size".
  EXPECT_EQ(ChooseJpegReduction({7, 5}, {96, 69}), 1);
  EXPECT_EQ(ChooseJpegReduction({1, 1}, {1, 1}), 8);
  EXPECT_EQ(ChooseJpegReduction({4000, 3000}, {0, 0}), 1);
  EXPECT_EQ(ChooseJpegReduction({4000, 3000}, {4000, 3000}), 1);
  EXPECT_EQ(ChooseJpegReduction({4000, 3000}, {2000, 1500}), 2);
}

// A picture with smooth gradients, a soft disc and a few sharp edges, as
// blue-green-red rows.
std::vector<std::uint8_t> MakePicture(int w, int h) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * w + x) * 3];
      const int dx = x - w / 2, dy = y - h / 2;
      const bool disc = dx * dx + dy * dy < (h / 3) * (h / 3);
      p[0] = static_cast<std::uint8_t>(255 * x / (w > 1 ? w - 1 : 1));
      p[1] = static_cast<std::uint8_t>(255 * y / (h > 1 ? h - 1 : 1));
      p[2] = disc ? 220 : 40;
      if (x > w * 3 / 4 && y < h / 4) p[0] = p[1] = p[2] = 250;
    }
  }
  return bgr;
}

enum class Kind { Colour, Grey, AdobeCmyk, Progressive };

// Encodes the rows with libjpeg as a camera or an editor would.
std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& bgr, int w, int h, Kind kind, int quality = 92) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  if (kind == Kind::Grey) {
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
  } else if (kind == Kind::AdobeCmyk) {
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
  } else {
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
  }
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (kind == Kind::AdobeCmyk) info.write_Adobe_marker = TRUE;
  if (kind == Kind::Progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* from = &bgr[static_cast<std::size_t>(info.next_scanline) * w * 3];
    for (int x = 0; x < w; ++x) {
      const std::uint8_t b = from[x * 3], g = from[x * 3 + 1], r = from[x * 3 + 2];
      if (kind == Kind::Grey) {
        row[x] = static_cast<std::uint8_t>((r * 299 + g * 587 + b * 114) / 1000);
      } else if (kind == Kind::AdobeCmyk) {
        // Inverted inks with no black: the stored values are the channels.
        row[x * 4] = r;
        row[x * 4 + 1] = g;
        row[x * 4 + 2] = b;
        row[x * 4 + 3] = 255;
      } else {
        std::memcpy(&row[x * 3], from + x * 3, 3);
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> file(out, out + outSize);
  jpeg_destroy_compress(&info);
  std::free(out);
  return file;
}

struct Decoded {
  bool ok = false;
  bool damaged = false;
  bool tooLarge = false;
  Size size;
  std::vector<std::uint8_t> bgr;
  int asked = 0;
};

Decoded Decode(const std::vector<std::uint8_t>& file, int reduction) {
  Decoded d;
  d.ok = DecodeJpeg(
      file.data(), file.size(), reduction,
      [&](Size size) {
        ++d.asked;
        d.size = size;
        // Exactly the rows, no padding: AddressSanitizer sees any write past.
        d.bgr.assign(static_cast<std::size_t>(size.width) * size.height * 3, 0);
        return PixelView{d.bgr.data(), size.width, size.height, size.width * 3, 3};
      },
      &d.damaged, &d.tooLarge);
  return d;
}

// The whole picture averaged over blocks of `reduction` pixels (partial
// blocks at the right and bottom edges over what they hold).
std::vector<std::uint8_t> BoxAverage(const Decoded& full, int reduction, Size to) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(to.width) * to.height * 3);
  for (int y = 0; y < to.height; ++y) {
    for (int x = 0; x < to.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        int sum = 0, n = 0;
        for (int sy = y * reduction; sy < std::min(full.size.height, (y + 1) * reduction); ++sy) {
          for (int sx = x * reduction; sx < std::min(full.size.width, (x + 1) * reduction); ++sx) {
            sum += full.bgr[(static_cast<std::size_t>(sy) * full.size.width + sx) * 3 + c];
            ++n;
          }
        }
        out[(static_cast<std::size_t>(y) * to.width + x) * 3 + c] = static_cast<std::uint8_t>((sum + n / 2) / n);
      }
    }
  }
  return out;
}

struct Difference {
  double mean = 0;
  int max = 0;
};

Difference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  Difference d;
  if (a.size() != b.size() || a.empty()) return Difference{1e9, 255};
  long long total = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int diff = std::abs(int(a[i]) - int(b[i]));
    total += diff;
    d.max = std::max(d.max, diff);
  }
  d.mean = double(total) / double(a.size());
  return d;
}

TEST(JpegDecode, AReducedDecodeIsTheWholePictureAveragedDown) {
  for (Kind kind : {Kind::Colour, Kind::Progressive, Kind::Grey}) {
    SCOPED_TRACE(int(kind));
    const std::vector<std::uint8_t> file = Encode(MakePicture(643, 481), 643, 481, kind);
    const Decoded full = Decode(file, 1);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(full.size, (Size{643, 481}));
    EXPECT_EQ(full.asked, 1);
    for (int reduction : {2, 4, 8}) {
      SCOPED_TRACE(reduction);
      const Decoded reduced = Decode(file, reduction);
      ASSERT_TRUE(reduced.ok);
      ASSERT_EQ(reduced.size, ReducedSize({643, 481}, reduction));
      const Difference d = Compare(reduced.bgr, BoxAverage(full, reduction, reduced.size));
      // The transform's reduction is an average of its own: on smooth
      // parts it agrees within a step or two, at sharp edges it rings a
      // little.
      EXPECT_LT(d.mean, 1.5);
      EXPECT_LE(d.max, 48);
    }
  }
}

TEST(JpegDecode, GreyAndCmykComeOutAsBlueGreenRed) {
  const std::vector<std::uint8_t> picture = MakePicture(96, 64);
  const Decoded grey = Decode(Encode(picture, 96, 64, Kind::Grey), 2);
  ASSERT_TRUE(grey.ok);
  for (std::size_t i = 0; i < grey.bgr.size(); i += 3) {
    ASSERT_EQ(grey.bgr[i], grey.bgr[i + 1]);
    ASSERT_EQ(grey.bgr[i], grey.bgr[i + 2]);
  }
  // Adobe's inverted inks: stored as the channels, shown as the picture
  // (each ink at full resolution, so only the quantisation differs).
  const Decoded cmyk = Decode(Encode(picture, 96, 64, Kind::AdobeCmyk, 98), 1);
  ASSERT_TRUE(cmyk.ok);
  const Difference d = Compare(cmyk.bgr, picture);
  EXPECT_LT(d.mean, 1.0);
  EXPECT_LE(d.max, 24);
}

// The file with its first frame header claiming another size.
std::vector<std::uint8_t> Claiming(std::vector<std::uint8_t> file, int w, int h) {
  for (std::size_t at = 2; at + 9 < file.size(); ++at) {
    if (file[at] == 0xFF && (file[at + 1] == 0xC0 || file[at + 1] == 0xC2)) {
      file[at + 5] = std::uint8_t(h >> 8);
      file[at + 6] = std::uint8_t(h);
      file[at + 7] = std::uint8_t(w >> 8);
      file[at + 8] = std::uint8_t(w);
      break;
    }
  }
  return file;
}

TEST(JpegDecode, APictureBeyondTheBoundsIsRefusedBeforeAnythingIsMadeForIt) {
  const std::vector<std::uint8_t> small = Encode(MakePicture(64, 48), 64, 48, Kind::Progressive);
  ASSERT_LT(small.size(), 20000u);
  // More pixels than any photo the program shows: refused from the header.
  Decoded d = Decode(Claiming(small, 22000, 22000), 8);
  EXPECT_FALSE(d.ok);
  EXPECT_TRUE(d.tooLarge);
  EXPECT_EQ(d.asked, 0) << "no target made";
  // Within the pixel bound, but a progressive file of this size would need
  // its whole coefficient buffer (1.2 GB) even for an eighth: refused
  // before the decoder allocates it (AddressSanitizer would see it).
  d = Decode(Claiming(small, 20000, 20000), 8);
  EXPECT_FALSE(d.ok);
  EXPECT_TRUE(d.tooLarge);
  EXPECT_EQ(d.asked, 0);
  // The same file at its own size decodes, and a baseline file's size is
  // no reason to refuse it (it needs no such buffer).
  EXPECT_TRUE(Decode(small, 1).ok);
  d = Decode(Claiming(Encode(MakePicture(64, 48), 64, 48, Kind::Colour), 8000, 6000), 8);
  EXPECT_FALSE(d.tooLarge);
  EXPECT_EQ(d.size, (Size{1000, 750}));
}

// One budget for every decode of the process: the estimate from the frame
// header, a share that waits while others hold the budget, one that could
// never fit refused; the facts reader tells the frame's make-up.
TEST(JpegDecode, EveryDecodeTakesItsShareOfOneBudget) {
  const std::vector<std::uint8_t> progressive = Encode(MakePicture(64, 48), 64, 48, Kind::Progressive);
  const std::vector<std::uint8_t> baseline = Encode(MakePicture(64, 48), 64, 48, Kind::Colour);
  const JpegFacts facts = ReadJpegFacts(progressive.data(), progressive.size());
  EXPECT_TRUE(facts.shape.progressive);
  EXPECT_EQ(facts.shape.components, 3);
  EXPECT_FALSE(ReadJpegFacts(baseline.data(), baseline.size()).shape.progressive);

  const JpegShape s420{3, {2, 1, 1}, {2, 1, 1}, true};
  // 16 x 16: the picture, four luma blocks and one block of each chroma.
  EXPECT_EQ(JpegDecodeMemory({16, 16}, s420, 1), 16u * 16 * 3 + (4 + 1 + 1) * 128);
  // A progressive 16000 x 16000 (a file of a few hundred bytes may claim
  // it) needs 768 MB of coefficients even for an eighth.
  EXPECT_GT(JpegDecodeMemory({16000, 16000}, s420, 8), 700ull * 1024 * 1024);
  EXPECT_FALSE(DecodableFrame({16000, 16000}, s420));
  EXPECT_TRUE(DecodableFrame({6000, 4000}, s420)) << "a 24-megapixel photo";
  EXPECT_TRUE(DecodableFrame({16000, 16000}, JpegShape{3, {2, 1, 1}, {2, 1, 1}, false})) << "one scan: rows only";
  EXPECT_FALSE(DecodableFrame({22000, 22000}, JpegShape{})) << "beyond the pixel bound";

  DecodeBudget budget(1000);
  EXPECT_FALSE(budget.Take(1001)) << "never fits";
  DecodeBudget::Share first = budget.Take(600);
  ASSERT_TRUE(first);
  EXPECT_EQ(budget.Held(), 600u);
  std::atomic<bool> took{false};
  std::thread waiting([&] {
    const DecodeBudget::Share second = budget.Take(500);
    took = second && budget.Held() == 500;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(took) << "waits for its share";
  first = DecodeBudget::Share{};
  waiting.join();
  EXPECT_TRUE(took);
  EXPECT_EQ(budget.Held(), 0u);

  // A decode takes its share from the budget it is given and gives it back.
  const std::uint64_t need = JpegDecodeMemory({64, 48}, facts.shape, 1);
  std::vector<std::uint8_t> out(64 * 48 * 3);
  const auto into = [&](Size size) { return PixelView{out.data(), size.width, size.height, size.width * 3, 3}; };
  DecodeBudget tight(need - 1), enough(need);
  bool tooLarge = false;
  EXPECT_FALSE(DecodeJpeg(progressive.data(), progressive.size(), 1, into, nullptr, &tooLarge, &tight));
  EXPECT_TRUE(tooLarge);
  EXPECT_TRUE(DecodeJpeg(progressive.data(), progressive.size(), 1, into, nullptr, &tooLarge, &enough));
  EXPECT_EQ(enough.Held(), 0u);
}

TEST(JpegDecode, TheFactsReaderFindsTheSizeTheDecoderFinds) {
  const std::vector<std::uint8_t> file = Encode(MakePicture(64, 48), 64, 48, Kind::Colour);
  // Markers without a length (TEM, RST3, a second fill byte) and bytes
  // between segments before the frame header: the decoder skips them.
  std::vector<std::uint8_t> odd = {0xFF, 0xD8, 0xFF, 0x01, 0xFF, 0xD3, 0xFF, 0xFF};
  odd.insert(odd.end(), file.begin() + 2, file.end());
  const JpegFacts facts = ReadJpegFacts(odd.data(), odd.size());
  const Decoded d = Decode(odd, 1);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(facts.stored, d.size);
  EXPECT_EQ(facts.stored, (Size{64, 48}));
}

TEST(JpegDecode, OddSizesDamagedAndForeignBytes) {
  for (Size size : {Size{1, 1}, Size{7, 5}, Size{17, 9}}) {
    const std::vector<std::uint8_t> file =
        Encode(MakePicture(size.width, size.height), size.width, size.height, Kind::Colour);
    for (int reduction : {1, 2, 8}) {
      const Decoded d = Decode(file, reduction);
      ASSERT_TRUE(d.ok);
      EXPECT_EQ(d.size, ReducedSize(size, reduction));
    }
  }
  // A file cut in half keeps its upper rows; the rest is grey.
  const std::vector<std::uint8_t> file = Encode(MakePicture(256, 256), 256, 256, Kind::Colour);
  const Decoded whole = Decode(file, 1);
  const std::vector<std::uint8_t> half(file.begin(), file.begin() + file.size() / 2);
  const Decoded cut = Decode(half, 1);
  ASSERT_TRUE(cut.ok);
  EXPECT_TRUE(cut.damaged);
  EXPECT_FALSE(whole.damaged);
  ASSERT_EQ(cut.size, (Size{256, 256}));
  EXPECT_EQ(std::memcmp(cut.bgr.data(), whole.bgr.data(), 256 * 3 * 32), 0) << "the first rows as they were";
  const std::uint8_t* last = &cut.bgr[255 * 256 * 3];
  EXPECT_EQ(last[0], 128);
  EXPECT_EQ(last[3 * 200 + 2], 128);

  // Only the header, a header cut inside, no JPEG at all, a bad reduction,
  // a target that has no room: false, and nothing written out of bounds.
  const std::vector<std::uint8_t> headerOnly(file.begin(), file.begin() + 200);
  EXPECT_FALSE(Decode(std::vector<std::uint8_t>(file.begin(), file.begin() + 20), 1).ok);
  EXPECT_FALSE(Decode(std::vector<std::uint8_t>{'B', 'M', 0, 0, 0, 0}, 1).ok);
  EXPECT_FALSE(Decode({}, 1).ok);
  EXPECT_FALSE(DecodeJpeg(file.data(), file.size(), 3, [](Size) { return PixelView{}; }));
  int asked = 0;
  EXPECT_FALSE(DecodeJpeg(file.data(), file.size(), 1, [&](Size) {
    ++asked;
    return PixelView{};
  }));
  EXPECT_EQ(asked, 1);
  const Decoded shortHeader = Decode(headerOnly, 1);
  if (shortHeader.ok) {
    EXPECT_EQ(shortHeader.size, (Size{256, 256}));
  }

  // Damaged bytes anywhere never take the decoder outside its buffers.
  std::srand(20261209);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> damaged = file;
    for (int i = 0; i < 8; ++i) damaged[2 + std::rand() % (damaged.size() - 2)] = std::uint8_t(std::rand());
    Decode(damaged, 1 << (round % 4));
  }
}

}  // namespace
}  // namespace k3
