#include <gtest/gtest.h>

#include "files/PathRules.h"
#include "dialogs/ProgressMath.h"

namespace k3 {
namespace {

TEST(PathRules, DriveRootsTrailingSeparatorsAndJoins) {
  EXPECT_TRUE(IsDriveRoot(L"C:\\"));
  EXPECT_TRUE(IsDriveRoot(L"z:\\"));
  EXPECT_FALSE(IsDriveRoot(L"C:"));
  EXPECT_FALSE(IsDriveRoot(L"C:\\a"));
  EXPECT_FALSE(IsDriveRoot(L"CC\\"));
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a\\"), L"C:\\a");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a\\\\"), L"C:\\a\\") << "only one";
  EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
  EXPECT_EQ(JoinPath(L"C:\\a", L"b.jpg"), L"C:\\a\\b.jpg");
  EXPECT_EQ(JoinPath(L"C:\\a\\", L"b.jpg"), L"C:\\a\\b.jpg");
  EXPECT_TRUE(HasWildcard(L"C:\\a\\*.jpg"));
  EXPECT_TRUE(HasWildcard(L"C:\\a?"));
  EXPECT_FALSE(HasWildcard(L"C:\\a\\b.jpg"));
}

TEST(PathRules, TemporaryNames) {
  const std::wstring base = TempNameBase(L"C:\\Temp\\", 1223476);
  EXPECT_EQ(base, L"C:\\Temp\\0012AB34");
  EXPECT_EQ(TempNameCandidate(base, 0, L".tmp"), L"C:\\Temp\\0012AB34_0.tmp");
  EXPECT_EQ(TempNameCandidate(base, 0, L""), L"C:\\Temp\\0012AB34_0.tmp");
  EXPECT_EQ(TempNameCandidate(base, 26, L".k3dlt"), L"C:\\Temp\\0012AB34_1A.k3dlt");
  EXPECT_EQ(TempNameBase(L"T\\", 0xFFFFFFFFu), L"T\\FFFFFFFF");
}

TEST(ProgressMath, FourStepsMoveByQuarters) {
  const ProgressScale s = MakeProgressScale(0, 4);
  EXPECT_EQ(s.lower, 0);
  EXPECT_EQ(s.upper, 100);
  for (int p = 0; p <= 4; ++p) EXPECT_EQ(ProgressPosition(s, p), 25 * p);
  EXPECT_EQ(ProgressPosition(s, 9), 100) << "beyond the upper value: full";
  EXPECT_EQ(ProgressPosition(s, -3), 0) << "below the lower value: empty";
}

TEST(ProgressMath, ShiftedAndUnevenRanges) {
  const ProgressScale s = MakeProgressScale(50, 150);
  EXPECT_EQ(s.lower, 50);
  EXPECT_EQ(s.upper, 150);
  EXPECT_EQ(ProgressPosition(s, 100), 100);
  const ProgressScale kib = MakeProgressScale(0, 3);  // 33.33 steps per unit
  EXPECT_EQ(ProgressPosition(kib, 1), 33);
  EXPECT_EQ(ProgressPosition(kib, 2), 67);  // 66.67 rounds half up
  const ProgressScale negative = MakeProgressScale(-50, 50);
  EXPECT_EQ(negative.lower, -50);
  EXPECT_EQ(negative.upper, 50);
  EXPECT_EQ(ProgressPosition(negative, -100), -50);
  EXPECT_EQ(RoundHalfUp(2.5), 3);
  EXPECT_EQ(RoundHalfUp(-2.7), -3);
  EXPECT_EQ(RoundHalfUp(-2.5), -2);
}

TEST(ProgressMath, EmptyRangeShowsAFullBar) {
  const ProgressScale s = MakeProgressScale(7, 7);
  EXPECT_TRUE(s.empty);
  EXPECT_EQ(s.lower, 0);
  EXPECT_EQ(s.upper, 100);
  for (int p : {-5, 0, 7, 1000}) EXPECT_EQ(ProgressPosition(s, p), 100);
}

}  // namespace
}  // namespace k3

#include "update/HttpRules.h"

namespace k3 {
namespace {

TEST(FetchBlock, GrowsIn64KiBStepsWithZeroedSlack) {
  EXPECT_EQ(FetchCapacity(0), 65536u);
  EXPECT_EQ(FetchCapacity(1), 65536u);
  EXPECT_EQ(FetchCapacity(65536), 65536u);
  EXPECT_EQ(FetchCapacity(65537), 131072u);

  std::vector<std::uint8_t> chunk(65536, 0xAB);
  FetchBlock block;
  ASSERT_TRUE(block.Append(chunk.data(), chunk.size()));
  EXPECT_EQ(block.size(), 65536u);
  EXPECT_EQ(block.allocated(), 65536u) << "exactly 64 KiB fills one step";
  ASSERT_TRUE(block.Append(chunk.data(), 1));
  EXPECT_EQ(block.allocated(), 131072u);
  for (std::size_t i = 65537; i < 131072; ++i) ASSERT_EQ(block.data()[i], 0) << i;
  EXPECT_EQ(block.data()[65536], 0xAB);
  // Small reads in between keep the slack zero.
  ASSERT_TRUE(block.Append(chunk.data(), 100));
  EXPECT_EQ(block.size(), 65637u);
  EXPECT_EQ(block.data()[65637], 0);
  std::uint8_t* out = block.Release();
  EXPECT_EQ(block.size(), 0u);
  EXPECT_EQ(block.data(), nullptr);
  std::free(out);

  FetchBlock empty;
  EXPECT_TRUE(empty.Append(nullptr, 0));
  EXPECT_EQ(empty.data(), nullptr) << "an empty body allocates nothing";
}

TEST(FetchBlock, RedirectTargetAndProgress) {
  EXPECT_EQ(RedirectTarget(L"HTTP/1.1 302 Found\r\nLocation: http://h/x?a=1\r\nContent-Length: 0\r\n\r\n"),
            std::optional<std::wstring>(L"http://h/x?a=1"));
  EXPECT_EQ(RedirectTarget(L"HTTP/1.1 302 Found\r\nLocation: http://h/last"), std::optional<std::wstring>(L"http://h/last"));
  EXPECT_FALSE(RedirectTarget(L"HTTP/1.1 302 Found\r\nlocation:http://h/\r\n\r\n"));
  EXPECT_EQ(FillCodeAndText(L"Error: Exiting with CInternetException(%d) %s", 12029, L"cannot connect"),
            L"Error: Exiting with CInternetException(12029) cannot connect");
  EXPECT_EQ(FillCodeAndText(L"(%d)\n", -7), L"(-7)\n");
  EXPECT_EQ(FillCodeAndText(L"%s %s %d %d", 1, L"a"), L"a %s 1 %d") << "one of each, nothing read beyond";
  EXPECT_EQ(ProgressKiB(0), 0);
  EXPECT_EQ(ProgressKiB(1023), 0);
  EXPECT_EQ(ProgressKiB(1024 * 700 + 5), 700);
}

}  // namespace
}  // namespace k3
