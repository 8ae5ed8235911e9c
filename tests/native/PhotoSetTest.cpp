// The drift's list of prepared photos: what a new list or new settings keep
// and make again, and how prepared photos join while the photo shown stays
// shown.
#include <gtest/gtest.h>

#include <cwchar>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop/PhotoSet.h"
#include "desktop/WindowShape.h"

namespace k3 {
namespace {

struct Photo {
  std::size_t slot = 0;
  std::wstring path;
  std::uint64_t fileTime = 0;
  std::uint16_t displayType = 0;
  std::uint16_t photoSize = 0;
  int made = 0;  // which preparation this is
  int dpi = 96;
};
using Items = std::vector<std::unique_ptr<Photo>>;
using Prepared = std::vector<std::pair<std::size_t, std::unique_ptr<Photo>>>;

std::unique_ptr<Photo> Made(const std::wstring& path, std::uint16_t type, std::uint16_t size, int made) {
  return std::make_unique<Photo>(Photo{0, path, 1, type, size, made});
}

std::vector<WantedPhoto> Wanted(std::initializer_list<const wchar_t*> paths) {
  std::vector<WantedPhoto> wanted;
  // Each with the head its row read (its length, say, to tell them apart).
  for (const wchar_t* p : paths) {
    wanted.push_back(WantedPhoto{p, 1, PhotoHead{true, {}, std::wcslen(p) + 100, 0}});
  }
  return wanted;
}

std::wstring Shown(const Items& items) {
  std::wstring s;
  for (const auto& i : items) s += i->path + L"#" + std::to_wstring(i->made) + L" ";
  return s;
}

TEST(PhotoSet, ARebuildKeepsWhatIsPreparedAndLetsTheRestStandIn) {
  Items items;
  int current = 0;
  auto jobs = RebuildPhotoList(items, current, Wanted({L"a", L"bb", L"c"}), 1, 2);
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[1].head.fileBytes, 102u) << "a job carries its row's head to the worker";
  jobs = RebuildPhotoList(items, current, Wanted({L"a", L"b", L"c"}), 1, 2);
  Prepared prepared;
  // The workers finish out of order: each photo goes to its place.
  for (std::size_t slot : {2u, 0u, 1u}) prepared.emplace_back(slot, Made(jobs[slot].path, 1, 2, 1));
  const JoinedPhotos first = JoinPrepared(items, current, std::move(prepared));
  EXPECT_TRUE(first.wasEmpty);
  EXPECT_EQ(Shown(items), L"a#1 b#1 c#1 ");

  // Another size: every photo is made again, the old ones stand in.
  current = 1;
  jobs = RebuildPhotoList(items, current, Wanted({L"a", L"b", L"c"}), 1, 3);
  EXPECT_EQ(jobs.size(), 3u);
  EXPECT_EQ(Shown(items), L"a#1 b#1 c#1 ") << "stand-ins";
  prepared.clear();
  prepared.emplace_back(1, Made(L"b", 1, 3, 2));
  prepared.emplace_back(2, nullptr);  // c cannot be made any more: its stand-in goes
  const JoinedPhotos resized = JoinPrepared(items, current, std::move(prepared));
  EXPECT_TRUE(resized.currentChanged) << "the photo shown has its new form";
  EXPECT_FALSE(resized.wasEmpty);
  EXPECT_EQ(Shown(items), L"a#1 b#2 ");
  EXPECT_EQ(current, 1);

  // The same settings and a photo more: a and b stay, only d is made.
  jobs = RebuildPhotoList(items, current, Wanted({L"d", L"a", L"b"}), 1, 3);
  ASSERT_EQ(jobs.size(), 2u) << "a was prepared for the old size";
  EXPECT_EQ(jobs[0].path, L"d");
  EXPECT_EQ(jobs[0].slot, 0u);
  prepared.clear();
  prepared.emplace_back(0, Made(L"d", 1, 3, 3));
  const JoinedPhotos grown = JoinPrepared(items, current, std::move(prepared));
  EXPECT_FALSE(grown.currentChanged);
  EXPECT_EQ(Shown(items), L"d#3 a#1 b#2 ");
  EXPECT_EQ(items[static_cast<std::size_t>(current)]->path, L"b") << "the photo shown stays shown";
  EXPECT_FALSE(JoinPrepared(items, current, {}).changed);
}

TEST(PhotoSet, ANewListSharingNothingKeepsThePhotoShownUntilItsFirstPhotoComes) {
  Items items;
  int current = 0;
  RebuildPhotoList(items, current, Wanted({L"a", L"b"}), 0, 2);
  Prepared prepared;
  prepared.emplace_back(0, Made(L"a", 0, 2, 1));
  prepared.emplace_back(1, Made(L"b", 0, 2, 1));
  JoinPrepared(items, current, std::move(prepared));
  current = 1;
  const auto jobs = RebuildPhotoList(items, current, Wanted({L"x", L"y"}), 0, 2);
  EXPECT_EQ(jobs.size(), 2u);
  EXPECT_EQ(Shown(items), L"b#1 ") << "the photo shown goes on showing";
  EXPECT_EQ(items[0]->slot, kLeavingSlot);
  EXPECT_EQ(current, 0);
  prepared.clear();
  prepared.emplace_back(1, Made(L"y", 0, 2, 2));
  const JoinedPhotos joined = JoinPrepared(items, current, std::move(prepared));
  EXPECT_TRUE(joined.wasEmpty) << "only a leaving photo showed";
  EXPECT_EQ(Shown(items), L"y#2 ") << "the leaving photo goes with the first new one";
  EXPECT_EQ(current, 0);
  // A list of nothing leaves nothing to show and nothing to make.
  EXPECT_TRUE(RebuildPhotoList(items, current, {}, 0, 2).empty());
  EXPECT_TRUE(items.empty());
}

TEST(PhotoSet, AnotherDpiMakesThePhotosAgainWhileTheOldOnesStandIn) {
  PhotoSet<Photo> set;
  auto jobs = set.Rebuild(Wanted({L"a", L"b"}), 1, 2, 96);
  Prepared prepared;
  for (const PhotoJob& job : jobs) prepared.emplace_back(job.slot, Made(job.path, 1, 2, 1));
  set.Join(std::move(prepared));
  EXPECT_TRUE(set.Rebuild(Wanted({L"a", L"b"}), 1, 2, 96).empty()) << "the same screen keeps them";
  jobs = set.Rebuild(Wanted({L"a", L"b"}), 1, 2, 144);
  EXPECT_EQ(jobs.size(), 2u) << "a screen of 150 % makes them again";
  EXPECT_EQ(set.Count(), 2u) << "the old ones stand in";
}

TEST(PhotoSet, TheShownPhotoStaysInRangeAndTheSwitchWraps) {
  PhotoSet<Photo> set;
  EXPECT_FALSE(set.Next()) << "nothing to switch to";
  auto jobs = set.Rebuild(Wanted({L"a", L"b", L"c"}), 1, 2);
  Prepared prepared;
  for (const PhotoJob& job : jobs) prepared.emplace_back(job.slot, Made(job.path, 1, 2, 1));
  EXPECT_TRUE(set.Join(std::move(prepared)).wasEmpty);
  ASSERT_EQ(set.Count(), 3u);
  set.Show(2);
  EXPECT_EQ(set.Current().path, L"c");
  EXPECT_TRUE(set.Next());
  EXPECT_EQ(set.CurrentIndex(), 0) << "after the last the first";
  set.Show(-1);
  EXPECT_EQ(set.Current().path, L"c");
  // A shorter list: the index past its end shows the first.
  set.Rebuild(Wanted({L"a"}), 1, 2);
  EXPECT_EQ(set.Current().path, L"a");
  EXPECT_FALSE(set.Next()) << "one photo does not switch";
  set.Clear();
  EXPECT_TRUE(set.Empty());
  EXPECT_EQ(set.CurrentIndex(), 0);
}

// What a new frame changes for the window system: the region only when the
// visible pixels differ, the place only when it moved or was resized.
TEST(WindowShape, ANewRegionOnlyForOtherPixelsAndAPlaceOnlyWhenMoved) {
  WindowShape shape;
  std::vector<PixelRun> runs{{0, 2, 5}, {1, 2, 6}};
  EXPECT_TRUE(shape.Differs(runs, true)) << "no region yet";
  shape.Taken(runs, Rect{2, 0, 6, 2});
  EXPECT_TRUE(shape.Shaped());
  EXPECT_EQ(shape.Box(), (Rect{2, 0, 6, 2}));
  std::vector<PixelRun> same{{0, 2, 5}, {1, 2, 6}};
  EXPECT_FALSE(shape.Differs(same, true));
  EXPECT_TRUE(shape.Differs(same, false)) << "everything again when asked";
  std::vector<PixelRun> other{{0, 2, 5}, {1, 3, 6}};
  EXPECT_TRUE(shape.Differs(other, true));
  shape.Clear();
  EXPECT_TRUE(shape.Differs(same, true)) << "a window without a region takes one again";

  const Rect at{10, 20, 110, 70};
  EXPECT_EQ(ComparePlace(at, at), PlaceChange::None);
  EXPECT_EQ(ComparePlace(at, Rect{11, 20, 111, 70}), PlaceChange::Move);
  EXPECT_EQ(ComparePlace(at, Rect{10, 20, 111, 70}), PlaceChange::Resize);
  EXPECT_EQ(ComparePlace(at, Rect{0, 0, 100, 51}), PlaceChange::Resize);
}

}  // namespace
}  // namespace k3
