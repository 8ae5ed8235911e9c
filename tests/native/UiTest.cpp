// The main view's pure parts: resize zones and the clamped resize, the
// proportional layout, the drop hint's place, the trackbar rules and the
// IMG.DAT records, and the view's small text and selection rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "imaging/PixelBuffer.h"
#include "ui/BorderZones.h"
#include "ui/ImageListFile.h"
#include "ui/Palette.h"
#include "ui/PhotoList.h"
#include "ui/ThumbnailOrder.h"
#include "framework/Dpi.h"
#include "ui/ViewLayout.h"
#include "ui/ViewRules.h"

namespace k3 {
namespace {

const Rect kClient{0, 0, 800, 600};

TEST(BorderZones, CornersEdgesAndTheirBoundaries) {
  // Corner squares reach 16 pixels into the client area (15 is the last).
  EXPECT_EQ(HitTestBorder(kClient, 0, 0), BorderZone::TopLeft);
  EXPECT_EQ(HitTestBorder(kClient, 15, 15), BorderZone::TopLeft);
  EXPECT_EQ(HitTestBorder(kClient, 16, 0), BorderZone::Top);
  EXPECT_EQ(HitTestBorder(kClient, 0, 16), BorderZone::Left);
  EXPECT_EQ(HitTestBorder(kClient, 799, 0), BorderZone::TopRight);
  EXPECT_EQ(HitTestBorder(kClient, 784, 15), BorderZone::TopRight);
  EXPECT_EQ(HitTestBorder(kClient, 783, 0), BorderZone::Top);
  EXPECT_EQ(HitTestBorder(kClient, 0, 599), BorderZone::BottomLeft);
  EXPECT_EQ(HitTestBorder(kClient, 15, 584), BorderZone::BottomLeft);
  EXPECT_EQ(HitTestBorder(kClient, 799, 599), BorderZone::BottomRight);
  EXPECT_EQ(HitTestBorder(kClient, 784, 584), BorderZone::BottomRight);
  EXPECT_EQ(HitTestBorder(kClient, 783, 584), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 783, 592), BorderZone::Bottom);
  // Edge strips are 8 pixels deep.
  EXPECT_EQ(HitTestBorder(kClient, 7, 300), BorderZone::Left);
  EXPECT_EQ(HitTestBorder(kClient, 8, 300), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 792, 300), BorderZone::Right);
  EXPECT_EQ(HitTestBorder(kClient, 791, 300), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 400, 7), BorderZone::Top);
  EXPECT_EQ(HitTestBorder(kClient, 400, 8), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 400, 592), BorderZone::Bottom);
  EXPECT_EQ(HitTestBorder(kClient, 400, 591), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 400, 300), BorderZone::None);
  // Outside the client area the zones go on for the capture's sake.
  EXPECT_EQ(HitTestBorder(kClient, -16, -16), BorderZone::TopLeft);
  EXPECT_EQ(HitTestBorder(kClient, -17, 0), BorderZone::None);
  EXPECT_EQ(HitTestBorder(kClient, 807, 300), BorderZone::Right);
  EXPECT_EQ(HitTestBorder(kClient, 808, 300), BorderZone::None);
  EXPECT_EQ(HitTestBorder(Rect{}, 0, 0), BorderZone::None) << "an empty rectangle has no zones";
  // A rectangle that does not start at the origin.
  EXPECT_EQ(HitTestBorder(Rect{100, 50, 900, 650}, 100, 50), BorderZone::TopLeft);
  EXPECT_EQ(HitTestBorder(Rect{100, 50, 900, 650}, 0, 0), BorderZone::None);
}

TEST(BorderZones, ResizeMovesOnlyTheZonesEdgesAndStopsAtTheMinimum) {
  const Rect start{100, 100, 1100, 800};  // 1000 x 700
  EXPECT_EQ(ResizeByZone(start, BorderZone::Left, 50, 999), (Rect{150, 100, 1100, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::Left, 500, 0), (Rect{300, 100, 1100, 800})) << "stops at width 800";
  EXPECT_EQ(ResizeByZone(start, BorderZone::Left, -60, 0), (Rect{40, 100, 1100, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::Top, 0, 300), (Rect{100, 200, 1100, 800})) << "stops at height 600";
  EXPECT_EQ(ResizeByZone(start, BorderZone::Right, -400, 0), (Rect{100, 100, 900, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::Right, 30, 0), (Rect{100, 100, 1130, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::Bottom, 0, -500), (Rect{100, 100, 1100, 700}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::BottomRight, -900, -900), (Rect{100, 100, 900, 700}))
      << "the top-left corner stays";
  EXPECT_EQ(ResizeByZone(start, BorderZone::TopLeft, 20, 10), (Rect{120, 110, 1100, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::TopRight, 20, 10), (Rect{100, 110, 1120, 800}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::BottomLeft, 20, 10), (Rect{120, 100, 1100, 810}));
  EXPECT_EQ(ResizeByZone(start, BorderZone::None, 20, 10), start);
  // Already at the minimum: shrinking does nothing, growing works.
  const Rect smallest{0, 0, 800, 600};
  EXPECT_EQ(ResizeByZone(smallest, BorderZone::TopLeft, 5, 5), smallest);
  EXPECT_EQ(ResizeByZone(smallest, BorderZone::TopLeft, -5, -5), (Rect{-5, -5, 800, 600}));
}

TEST(ViewLayout, ProportionalPlacesAtTwoWidths) {
  const ViewLayout l = LayoutView(800, 600);
  EXPECT_EQ(l.imageList, (Rect{10, 40, 375, 560}));
  EXPECT_EQ(l.saveButton, (Rect{521, 567, 681, 591}));
  EXPECT_EQ(l.removeButton, (Rect{87, 571, 157, 589}));
  EXPECT_EQ(l.removeAllButton, (Rect{229, 571, 299, 589}));
  EXPECT_EQ(l.closeButton, (Rect{775, 6, 792, 23}));
  EXPECT_EQ(l.minimizeButton.left, 754);
  EXPECT_EQ(l.productPageButton.left, 733);
  EXPECT_EQ(l.vendorPageButton.left, 712);
  EXPECT_EQ(l.updateButton.left, 691) << "the sixth button, left of the vendor page";
  for (const Rect& label : {l.typeLabel, l.speedLabel, l.sizeLabel, l.zOrderLabel, l.intervalLabel}) {
    EXPECT_EQ(label.left, 424);
    EXPECT_EQ(label.Width(), 100);
  }
  const int columns[4] = {504, 568, 632, 696};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(l.typeRadios[i], (Rect{columns[i], 60, columns[i] + 64, 76}));
    EXPECT_EQ(l.sizeRadios[i].left, columns[i]);
    EXPECT_EQ(l.intervalRadios[i], (Rect{columns[i], 360, columns[i] + 56, 376}));
    EXPECT_EQ(l.intervalRadios[4 + i], (Rect{columns[i], 380, columns[i] + 56, 396}));
  }
  EXPECT_EQ(l.typeRadios[4], (Rect{504, 80, 568, 96}));
  EXPECT_EQ(l.sizeRadios[4], (Rect{504, 260, 568, 276}));
  EXPECT_EQ(l.intervalRadios[8], (Rect{504, 400, 560, 416}));
  EXPECT_EQ(l.speedRadios[2], (Rect{632, 190, 696, 206}));
  EXPECT_EQ(l.zOrderRadios[0], (Rect{504, 310, 568, 326}));
  EXPECT_EQ(l.strengthSlider, (Rect{524, 100, 724, 124}));
  EXPECT_EQ(l.waveCountSlider, (Rect{524, 130, 724, 154}));

  // Wider: every proportion rounds half up (0.0125 x 1030 = 12.875).
  const ViewLayout wide = LayoutView(1030, 700);
  EXPECT_EQ(wide.imageList, (Rect{13, 40, 13 + 470, 660}));
  EXPECT_EQ(wide.saveButton.left, 774 - 80);
  EXPECT_EQ(wide.removeButton.left, 157 - 35);
  EXPECT_EQ(wide.typeLabel.left, 546);
  EXPECT_EQ(wide.typeRadios[3].left, 896);
  EXPECT_EQ(wide.closeButton.left, 1005);
  EXPECT_EQ(wide.saveButton.top, 667);
  EXPECT_EQ(ProportionOf(0.5, 3), 2);
  EXPECT_EQ(ProportionOf(0.0125, 0), 0);
}

// At 150 % the whole view is the 96-DPI view half again as large (within
// the pixel each rounding may take); the drop hint, the text origins, the
// resize zones and the smallest frame follow.
TEST(ViewLayout, AtAnotherDpiTheViewIsScaledWhole) {
  const auto rects = [](const ViewLayout& l) {
    std::vector<Rect> all{l.saveButton,   l.imageList,      l.removeButton,      l.removeAllButton,
                          l.closeButton,  l.minimizeButton, l.productPageButton, l.vendorPageButton,
                          l.updateButton, l.typeLabel,      l.speedLabel,        l.sizeLabel,
                          l.zOrderLabel,  l.intervalLabel,  l.strengthSlider,    l.waveCountSlider};
    for (const auto* group : {&l.typeRadios[0], &l.speedRadios[0], &l.sizeRadios[0], &l.zOrderRadios[0]}) {
      all.insert(all.end(), group, group + 3);
    }
    all.insert(all.end(), l.intervalRadios.begin(), l.intervalRadios.end());
    return all;
  };
  const auto near = [](const Rect& big, const Rect& small) {
    return std::abs(big.left - small.left * 3 / 2) <= 1 && std::abs(big.top - small.top * 3 / 2) <= 1 &&
           std::abs(big.right - small.right * 3 / 2) <= 1 && std::abs(big.bottom - small.bottom * 3 / 2) <= 1;
  };
  const std::vector<Rect> at96 = rects(LayoutView(800, 600)), at144 = rects(LayoutView(1200, 900, 144));
  for (std::size_t i = 0; i < at96.size(); ++i) EXPECT_TRUE(near(at144[i], at96[i])) << "rectangle " << i;
  EXPECT_EQ(LayoutView(1200, 900, 144).closeButton, (Rect{1200 - 38, 9, 1200 - 38 + 26, 9 + 26}));
  EXPECT_TRUE(near(HelpWindowRect(1200, 900, 144), HelpWindowRect(800, 600)));
  EXPECT_EQ(CountLineOrigin(1200, 144).y, 41);
  EXPECT_EQ(SettingsCaptionOrigin(1200, 144).y, 48);
  const Rect client{0, 0, 1200, 900};
  EXPECT_EQ(HitTestBorder(client, 23, 23, 144), BorderZone::TopLeft);
  EXPECT_EQ(HitTestBorder(client, 23, 23), BorderZone::None);
  EXPECT_EQ(HitTestBorder(client, 600, 11, 144), BorderZone::Top);
  EXPECT_EQ(ResizeByZone(client, BorderZone::BottomRight, -500, -500, 144), client) << "1200 x 900 is the smallest";
  EXPECT_EQ(ThumbnailOrigin(144, 96, 144).y, 27);
  EXPECT_EQ(ArtPercentForDpi(96), 100);
  EXPECT_EQ(ArtPercentForDpi(120), 150) << "125 %: the larger drawing";
  EXPECT_EQ(ArtPercentForDpi(144), 150);
  EXPECT_EQ(ArtPercentForDpi(168), 200);
  EXPECT_EQ(ArtPercentForDpi(288), 200);
}

TEST(ViewLayout, DropHintSitsInTheMiddleOfTheList) {
  // List area: left 10, top 40, 365 x 520.
  EXPECT_EQ(HelpWindowRect(800, 600), (Rect{10 + 107, 40 + 220, 10 + 257, 40 + 300}));
  EXPECT_EQ(HelpWindowRect(800, 600).Width(), 150);
  EXPECT_EQ(HelpWindowRect(800, 600).Height(), 80);
  // 1030 x 701: top 46.73 -> 47, b = 607.5 -> 608, a = 470.
  EXPECT_EQ(HelpWindowRect(1030, 701), (Rect{13 + 160, 47 + 264, 13 + 310, 47 + 344}));
  EXPECT_EQ(CountLineOrigin(800).x, 10);
  EXPECT_EQ(CountLineOrigin(800).y, 27);
  EXPECT_EQ(SettingsCaptionOrigin(800).x, 410);
}

TEST(ViewLayout, TrackbarsFollowTheDisplayType) {
  const TrackbarRule photo = TrackbarRuleFor(kPhoto), sphere = TrackbarRuleFor(kSphere),
                     ripple = TrackbarRuleFor(kRipple), wave = TrackbarRuleFor(kWave),
                     rotate = TrackbarRuleFor(kRotate);
  EXPECT_FALSE(photo.strengthShown || photo.waveCountShown);
  EXPECT_FALSE(rotate.strengthShown || rotate.waveCountShown);
  EXPECT_TRUE(sphere.strengthShown);
  EXPECT_EQ(sphere.strengthMin, 50);
  EXPECT_EQ(sphere.strengthMax, 90);
  EXPECT_FALSE(sphere.waveCountShown);
  for (const TrackbarRule& r : {ripple, wave}) {
    EXPECT_TRUE(r.strengthShown && r.waveCountShown);
    EXPECT_EQ(r.strengthMin, 50);
    EXPECT_EQ(r.strengthMax, 300);
    EXPECT_EQ(r.waveCountMin, 1);
    EXPECT_EQ(r.waveCountMax, 20);
  }
  EXPECT_FALSE(TrackbarRuleFor(9).strengthShown);
}

// A code page that knows ASCII only, and a file system where some files have
// short forms.
struct FakeSystem {
  std::map<std::wstring, std::wstring> shortForms;
  std::shared_ptr<int> longFormsAsked = std::make_shared<int>(0);
  ImageListPaths Paths() const {
    ImageListPaths p;
    p.toAnsi = [](const std::wstring& w) -> std::optional<std::string> {
      std::string s;
      for (wchar_t c : w) {
        if (c > 0x7F) return std::nullopt;
        s.push_back(static_cast<char>(c));
      }
      return s;
    };
    p.fromAnsi = [](std::string_view s) { return std::wstring(s.begin(), s.end()); };
    p.shortForm = [this](const std::wstring& w) -> std::optional<std::wstring> {
      auto it = shortForms.find(w);
      if (it == shortForms.end()) return std::nullopt;
      return it->second;
    };
    p.longForm = [this](const std::wstring& w) -> std::optional<std::wstring> {
      ++*longFormsAsked;
      for (const auto& [longPath, shortPath] : shortForms) {
        if (shortPath == w) return longPath;
      }
      return std::nullopt;
    };
    return p;
  }
};

TEST(ImageListFile, RecordsOfFixedSizeInListOrder) {
  FakeSystem fs;
  const std::vector<std::wstring> photos = {L"C:\\a.jpg", L"C:\\photos\\b.jpeg", L"D:\\c.JPG"};
  const std::vector<std::uint8_t> bytes = EncodeImageList(photos, fs.Paths());
  ASSERT_EQ(bytes.size(), 1536u);
  for (std::size_t i = 0; i < photos.size(); ++i) {
    const char* record = reinterpret_cast<const char*>(bytes.data() + 512 * i);
    EXPECT_EQ(std::string(record), std::string(photos[i].begin(), photos[i].end()));
  }
  EXPECT_EQ(DecodeImageList(bytes.data(), bytes.size(), fs.Paths()), photos);
  EXPECT_TRUE(EncodeImageList({}, fs.Paths()).empty()) << "an empty list is an empty file";

  // 1100 bytes: two whole records, the trailing piece is ignored.
  std::vector<std::uint8_t> longer = bytes;
  longer.resize(1100);
  EXPECT_EQ(DecodeImageList(longer.data(), longer.size(), fs.Paths()).size(), 2u);
  EXPECT_TRUE(DecodeImageList(longer.data(), 511, fs.Paths()).empty());
}

TEST(ImageListFile, RecordWithoutZeroByteIsReadToItsEndOnly) {
  FakeSystem fs;
  std::vector<std::uint8_t> bytes(1024, 'x');
  bytes[512] = 'C';
  bytes[513] = 0;
  const auto photos = DecodeImageList(bytes.data(), bytes.size(), fs.Paths());
  ASSERT_EQ(photos.size(), 2u);
  EXPECT_EQ(photos[0], std::wstring(512, L'x')) << "the record's 512 bytes, nothing of the next";
  EXPECT_EQ(photos[1], L"C");
}

TEST(ImageListFile, PathsTheCodePageCannotHoldKeepTheirFileThroughTheShortForm) {
  FakeSystem fs;
  const std::wstring japanese = L"C:\\\u5199\u771F\\a.jpg";
  const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\b.jpg";
  const std::wstring nowhere = L"C:\\\u5199\u771F\\gone.jpg";
  fs.shortForms[japanese] = L"C:\\FE8A~1\\a.jpg";
  fs.shortForms[deep] = L"C:\\DDDDDD~1\\b.jpg";
  const auto paths = fs.Paths();
  EXPECT_EQ(RecordText(japanese, paths), std::optional<std::string>("C:\\FE8A~1\\a.jpg"));
  EXPECT_EQ(RecordText(deep, paths), std::optional<std::string>("C:\\DDDDDD~1\\b.jpg"));
  EXPECT_EQ(RecordText(nowhere, paths), std::nullopt) << "no lossless form: not stored";
  EXPECT_EQ(RecordText(std::wstring(255, L'p'), paths)->size(), 255u);
  EXPECT_EQ(RecordText(std::wstring(256, L'p'), paths), std::nullopt);

  const std::vector<std::uint8_t> bytes = EncodeImageList({L"C:\\a.jpg", japanese, nowhere, deep}, paths);
  ASSERT_EQ(bytes.size(), 3u * 512);
  EXPECT_EQ(DecodeImageList(bytes.data(), bytes.size(), paths),
            (std::vector<std::wstring>{L"C:\\a.jpg", japanese, deep}))
      << "read back in their long forms";
  // Only the two short forms were looked up; "C:\a.jpg" is its own.
  EXPECT_EQ(*fs.longFormsAsked, 2);
}

TEST(ViewRules, PhotoFilesAreJpegByExtensionInAnyCase) {
  EXPECT_TRUE(IsPhotoFileName(L"C:\\a\\b.JPG"));
  EXPECT_TRUE(IsPhotoFileName(L"C:\\a\\b.Jpeg"));
  EXPECT_TRUE(IsPhotoFileName(L"b.jpg"));
  EXPECT_FALSE(IsPhotoFileName(L"C:\\a\\b.png"));
  EXPECT_FALSE(IsPhotoFileName(L"C:\\a\\b.jpg.png"));
  EXPECT_FALSE(IsPhotoFileName(L"C:\\a.jpg\\b"));
  EXPECT_FALSE(IsPhotoFileName(L"C:\\a\\jpg"));
  EXPECT_FALSE(IsPhotoFileName(L""));
}

TEST(ViewRules, CountLineFillsTwoNumbersAndNothingElse) {
  EXPECT_EQ(FormatCountLine(L"%d images(%d selected)", 0, 0), L"0 images(0 selected)");
  EXPECT_EQ(FormatCountLine(L"%d images(%d selected)", 12, 3), L"12 images(3 selected)");
  EXPECT_EQ(FormatCountLine(
                L"%d \x500B\x306E\x753B\x50CF\x4E2D %d \x500B\x3092\x9078\x629E\x3057\x3066\x3044\x307E\x3059", 5, 1),
            L"5 \x500B\x306E\x753B\x50CF\x4E2D 1 \x500B\x3092\x9078\x629E\x3057\x3066\x3044\x307E\x3059");
  // A format asking for more than two numbers, or for a string, is shown as
  // it stands rather than read past its arguments.
  EXPECT_EQ(FormatCountLine(L"%d %d %d %s", 1, 2), L"1 2 %d %s");
  // The line's buffer holds 63 characters.
  EXPECT_EQ(FormatCountLine(std::wstring(100, L'x'), 0, 0).size(), 63u);
}

TEST(ViewRules, RowTextAddressesAndThumbnailPlace) {
  EXPECT_EQ(PictureSizeLine(4000, 3000), L"width: 4000 pixel, height: 3000 pixel");
  EXPECT_EQ(VendorPageAddress(true, L"h.example"), L"http://h.example/index.html");
  EXPECT_EQ(VendorPageAddress(false, L"h.example"), L"http://h.example/index_e.html");
  EXPECT_EQ(ProductPageAddress(true, L"h.example"), L"http://h.example/k3driftlet/k3driftlet.html");
  EXPECT_EQ(ProductPageAddress(false, L"h.example"), L"http://h.example/k3driftlet/k3driftlet_e.html");
  // A 4000 x 3000 photo's 96 x 72 thumbnail sits at (2, 14) in its row.
  const ThumbOrigin wide = ThumbnailOrigin(96, 72);
  EXPECT_EQ(wide.x, 2);
  EXPECT_EQ(wide.y, 14);
  const ThumbOrigin tall = ThumbnailOrigin(71, 96);
  EXPECT_EQ(tall.x, 14);  // (96 - 71) / 2 + 2, truncated
  EXPECT_EQ(tall.y, 2);
}

TEST(ViewRules, ThumbnailsAreKeptForTheRowsAroundTheScreenOnly) {
  // A short list keeps them all.
  EXPECT_EQ(ThumbnailRows(120, 50, 4, 2000).first, 0);
  EXPECT_EQ(ThumbnailRows(120, 50, 4, 2000).last, 120);
  // A long one: the budget's rows with the screen's in their middle, and
  // inside the list at both ends.
  const RowRange middle = ThumbnailRows(20000, 10000, 4, 2000);
  EXPECT_EQ(middle.last - middle.first, 2000);
  EXPECT_TRUE(middle.Holds(10000) && middle.Holds(10003));
  EXPECT_EQ(middle.first, 9002);
  EXPECT_EQ(ThumbnailRows(20000, 0, 4, 2000).first, 0);
  EXPECT_EQ(ThumbnailRows(20000, 19996, 4, 2000).last, 20000);
  EXPECT_FALSE(ThumbnailRows(0, 0, 4, 2000).Holds(0));
}

TEST(PixelBuffer, RowsArePaddedAsADibsAndACopyDropsTheFourthByte) {
  std::uint8_t bgra[2 * 2 * 4] = {1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 10, 9, 11, 12, 13, 9};
  const PixelBuffer copy = PixelBuffer::CopyOf(PixelView{bgra, 2, 2, 8, 4});
  EXPECT_EQ(copy.Pitch(), 8) << "six bytes padded to eight";
  EXPECT_EQ(copy.Bytes(), 16u);
  const PixelView v = copy.View();
  EXPECT_EQ(v.At(1, 0)[2], 6);
  EXPECT_EQ(v.At(0, 1)[0], 7);
  EXPECT_EQ(v.At(1, 1)[1], 12);
  EXPECT_EQ(PixelBuffer::CopyOf(PixelView{}).Bytes(), 0u);
}

// The photo list's model: rows with keys, no path twice, the selection,
// the rows waiting for thumbnails, and a notice for each change.
TEST(PhotoList, RowsKeysSelectionAndWaitingThumbnailsWithTheirNotices) {
  PhotoList list;
  int rowNotices = 0, selectionNotices = 0;
  list.OnRowsChanged([&] { ++rowNotices; });
  list.OnSelectionChanged([&] { ++selectionNotices; });
  const auto entry = [](const wchar_t* path) { return std::make_unique<CImgThumb>(path, nullptr, 40, 30); };
  for (const wchar_t* path : {L"a", L"b", L"c", L"d"}) EXPECT_TRUE(list.Add(entry(path), true));
  EXPECT_FALSE(list.Add(entry(L"b"), true)) << "no path twice";
  EXPECT_EQ(rowNotices, 4);
  EXPECT_EQ(list.Waiting(), 4u);
  const PhotoList::Key keyOfC = list.At(2).key;
  EXPECT_LT(list.At(0).key, list.At(1).key) << "keys grow with the rows";

  list.Select(1, true);
  list.Select(1, true);
  EXPECT_EQ(selectionNotices, 1) << "only a change is told";
  list.SetSelection({1, 3});
  EXPECT_EQ(selectionNotices, 2);
  EXPECT_EQ(list.SelectedPaths(), (std::vector<std::wstring>{L"b", L"d"}));
  // A selected row that goes tells both; its job goes with it.
  list.RemoveAt(1);
  EXPECT_EQ(rowNotices, 5);
  EXPECT_EQ(selectionNotices, 3);
  EXPECT_EQ(list.IndexOf(keyOfC), 1);
  EXPECT_EQ(list.Waiting(), 3u);
  EXPECT_FALSE(list.Contains(L"b"));
  list.RemoveAt(0);
  EXPECT_EQ(selectionNotices, 3) << "an unselected row leaves the selection";
  EXPECT_EQ(list.Selected(), std::vector<int>{1});

  // Jobs: only rows inside the kept range, and among the keys given.
  for (const wchar_t* path : {L"e", L"f", L"g"}) list.Add(entry(path), true);
  ASSERT_EQ(list.Count(), 5);  // c d e f g
  std::unordered_set<PhotoList::Key> onlyF{list.At(3).key};
  auto jobs = list.TakeJobs(RowRange{0, 5}, &onlyF);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].path, L"f");
  jobs = list.TakeJobs(RowRange{0, 2});
  EXPECT_EQ(jobs.size(), 2u) << "c and d";
  EXPECT_EQ(list.Waiting(), 2u) << "e and g wait outside the range";
  // Thumbnails outside the range go back and wait again.
  list.At(0).image = std::make_unique<PixelBuffer>(4, 3);
  list.At(3).image = std::make_unique<PixelBuffer>(4, 3);
  list.GiveBack(RowRange{0, 2});
  EXPECT_TRUE(list.At(0).image);
  EXPECT_FALSE(list.At(3).image);
  EXPECT_EQ(list.Waiting(), 3u);
  list.NeedThumbnail(0);
  EXPECT_EQ(list.Waiting(), 4u);

  list.RemoveAll();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Waiting(), 0u);
  EXPECT_EQ(rowNotices, 10);
  EXPECT_EQ(selectionNotices, 4) << "the selected row went";
  EXPECT_TRUE(list.Add(entry(L"b"), false)) << "a path gone may come again";
  EXPECT_EQ(list.Waiting(), 0u);

  // Ranges, as the list box is asked for them by anyone; every row for -1.
  for (const wchar_t* path : {L"h", L"i", L"j"}) list.Add(entry(path), false);
  selectionNotices = 0;
  EXPECT_TRUE(list.SelectRange(1, 2, true));
  EXPECT_EQ(list.Selected(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(list.SelectRange(2, 9, true)) << "rows that are not there";
  EXPECT_FALSE(list.SelectRange(2, 1, true));
  EXPECT_TRUE(list.SelectRange(-1, 0, true));
  EXPECT_EQ(list.Selected(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(list.SelectRange(-1, 0, true));
  EXPECT_EQ(selectionNotices, 2) << "only a change is told";
  // A batch (an import) is told once at its end, the rows first.
  rowNotices = selectionNotices = 0;
  std::vector<char> order;
  list.OnRowsChanged([&] { order.push_back('r'); });
  list.OnSelectionChanged([&] { order.push_back('s'); });
  {
    PhotoList::Batch outer(list);
    {
      PhotoList::Batch inner(list);
      list.Add(entry(L"k"), false);
      list.Select(4, true);
    }
    EXPECT_TRUE(order.empty()) << "the outermost batch tells";
    list.Add(entry(L"l"), false);
    list.RemoveAt(0);
    EXPECT_TRUE(list.InBatch());
  }
  EXPECT_EQ(order, (std::vector<char>{'r', 's'}));
  { PhotoList::Batch nothing(list); }
  EXPECT_EQ(order.size(), 2u) << "a batch without changes tells nothing";
}

// A selected row differs from an unselected one by a mark of more than
// 3:1 against both backgrounds (its tint alone is 1.05:1).
TEST(ViewRules, ContrastRatiosAndTheSelectedRowsMark) {
  EXPECT_NEAR(ContrastRatio(palette::Rgb(0, 0, 0), palette::Rgb(255, 255, 255)), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(palette::Rgb(255, 255, 255), palette::Rgb(0, 0, 0)), 21.0, 1e-9);
  EXPECT_DOUBLE_EQ(ContrastRatio(palette::kList, palette::kList), 1.0);
  EXPECT_NEAR(ContrastRatio(palette::Rgb(118, 118, 118), palette::Rgb(255, 255, 255)), 4.54, 0.01);
  EXPECT_LT(ContrastRatio(palette::kSelectedRow, palette::kList), 1.1) << "the tint alone says little";
  EXPECT_GE(ContrastRatio(palette::kSelectionMark, palette::kSelectedRow), 3.0);
  EXPECT_GE(ContrastRatio(palette::kSelectionMark, palette::kList), 3.0);
}

// In high contrast every colour of the view is one of the system's, in the
// pairs the system's schemes keep apart.
TEST(ViewRules, HighContrastDrawsWithTheSystemsColoursInTheirPairs) {
  EXPECT_FALSE(ViewColours{}.system);
  EXPECT_EQ(ViewColours{}.selectionMark, palette::kSelectionMark);
  const SystemColours s{1, 2, 3, 4, 5, 6, 7};  // window, window text, highlight, its text, face, button text, gray
  const ViewColours c = HighContrastColours(s);
  EXPECT_TRUE(c.system);
  for (std::uint32_t back : {c.panel, c.list, c.hint}) EXPECT_EQ(back, s.window);
  for (std::uint32_t text : {c.panelText, c.rowText, c.counts, c.hintText, c.titleActive})
    EXPECT_EQ(text, s.windowText);
  EXPECT_EQ(c.selectedRow, s.highlight);
  EXPECT_EQ(c.selectedRowText, s.highlightText);
  EXPECT_EQ(c.selectionMark, s.highlightText) << "the frame stands out as the selected text does";
  EXPECT_EQ(c.titleInactive, s.grayText);
  EXPECT_EQ(c.placeholder, s.grayText);
  EXPECT_EQ(c.buttonFace, s.buttonFace);
  EXPECT_EQ(c.buttonText, s.buttonText);
  EXPECT_NE(c, ViewColours{});
}

// A list box takes rows of at most 255 pixels: up to 245 DPI the rows are
// the screen's, beyond it (275 and 300 per cent) the largest that fit.
TEST(ViewRules, RowsFitTheListBoxAtEveryDpi) {
  EXPECT_EQ(RowDpi(96), 96);
  EXPECT_EQ(RowDpi(240), 240);
  EXPECT_EQ(RowDpi(264), 245);
  EXPECT_EQ(RowDpi(288), 245);
  for (int dpi = 96; dpi <= 480; dpi += 24) {
    EXPECT_LE(ScaleForDpi(kRowHeight, RowDpi(dpi)), kMostRowPixels) << dpi;
    EXPECT_LE(ScaleForDpi(kThumbnailSide + 4, RowDpi(dpi)), ScaleForDpi(kRowHeight, RowDpi(dpi))) << dpi;
  }
}

// Older systems: the window's DPI from the newest source the system has,
// the metrics scaled from the system's DPI where it gives no other.
TEST(Dpi, TheFirstSourceThatKnowsAndMetricsScaledFromTheSystemsDpi) {
  int asked = 0;
  const auto answer = [&](unsigned dpi) {
    return std::function<unsigned()>([&asked, dpi] {
      ++asked;
      return dpi;
    });
  };
  EXPECT_EQ(DpiFromSources(answer(144), answer(120), answer(96)), 144);
  EXPECT_EQ(asked, 1) << "the newest source alone";
  EXPECT_EQ(DpiFromSources({}, answer(144), answer(96)), 144) << "Windows 8.1: the monitor's";
  EXPECT_EQ(DpiFromSources({}, {}, answer(120)), 120) << "Windows 7: the system's";
  EXPECT_EQ(DpiFromSources(answer(0), answer(0), answer(168)), 168) << "a source that does not know";
  EXPECT_EQ(DpiFromSources({}, {}, {}), 96);
  EXPECT_EQ(MetricAtDpi(32, 96, 144), 48);
  EXPECT_EQ(MetricAtDpi(48, 144, 96), 32);
  EXPECT_EQ(MetricAtDpi(16, 0, 144), 16);
}

TEST(ViewRules, FirstCheckedButtonOfAGroup) {
  EXPECT_EQ(FirstChecked({false, false, true, false}), 2);
  EXPECT_EQ(FirstChecked({true, false, true}), 0);
  EXPECT_EQ(FirstChecked({false, false}), -1);
  EXPECT_EQ(FirstChecked({}), -1);
}

}  // namespace
}  // namespace k3

namespace k3 {
namespace {

std::vector<ThumbnailOrder::Key> TakeAll(ThumbnailOrder& order) {
  std::vector<ThumbnailOrder::Key> taken;
  while (auto key = order.Take()) taken.push_back(*key);
  return taken;
}

TEST(ThumbnailOrder, RowsOnScreenFirstThenTheListInOrder) {
  ThumbnailOrder order;
  for (ThumbnailOrder::Key k = 1; k <= 8; ++k) order.Add(k);
  order.Add(3);  // waiting already
  EXPECT_EQ(order.Count(), 8u);
  // Scrolled to rows 5..7 before anything was made.
  order.ShowFirst({5, 6, 7});
  EXPECT_EQ(*order.Take(), 5u);
  // Scrolled again: the rows now shown go first, those shown before fall
  // back into list order.
  order.ShowFirst({2, 3, 6});
  EXPECT_EQ(TakeAll(order), (std::vector<ThumbnailOrder::Key>{2, 3, 6, 1, 4, 7, 8}));
  EXPECT_FALSE(order.Take());
  EXPECT_EQ(order.Count(), 0u);
}

TEST(ThumbnailOrder, RemovedRowsAreNeverHandedOut) {
  ThumbnailOrder order;
  for (ThumbnailOrder::Key k = 1; k <= 6; ++k) order.Add(k);
  order.ShowFirst({4, 5});
  order.Remove(4);
  order.Remove(2);
  EXPECT_FALSE(order.Waiting(4));
  EXPECT_TRUE(order.Waiting(5));
  EXPECT_EQ(TakeAll(order), (std::vector<ThumbnailOrder::Key>{5, 1, 3, 6}));
  // A row made already and removed later changes nothing; a removed key
  // that is added again (a new row) waits again.
  order.Remove(1);
  order.Add(2);
  EXPECT_EQ(TakeAll(order), (std::vector<ThumbnailOrder::Key>{2}));
  // Delete All while rows wait; rows on screen that were made are skipped.
  for (ThumbnailOrder::Key k = 10; k < 20; ++k) order.Add(k);
  order.Clear();
  order.ShowFirst({11, 12});
  EXPECT_FALSE(order.Take());
  order.Add(30);
  order.ShowFirst({29, 30});
  EXPECT_EQ(TakeAll(order), (std::vector<ThumbnailOrder::Key>{30}));
}

}  // namespace
}  // namespace k3
