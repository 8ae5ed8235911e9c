// Saving and opening package files through the drifting window object, on
// real files (no window is needed for either).
#include <windows.h>

#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "files/FileUtils.h"
#include "files/Package.h"

namespace k3 {
namespace {

std::vector<std::uint8_t> Fill(std::size_t n, std::uint8_t v) { return std::vector<std::uint8_t>(n, v); }

TEST(PackageFiles, SaveWritesTheRecordsAndOpenExtractsThem) {
  fixtures::TempFolder folder;
  CDriftlet source;
  source.settings.displayType = kWave;
  source.settings.reserved[500] = 0x5A;  // carried as it is
  source.photoPaths = {folder.Write(L"a.jpg", Fill(10, 1)), folder.Write(L"b.jpg", Fill(20, 2)),
                       folder.Write(L"c.jpg", Fill(5, 3))};
  const std::wstring path = folder.path() + L"show.k3dlt";
  ASSERT_TRUE(SavePackage(source, nullptr, path));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.size(), 1054u + 14 + 24 + 9);
  EXPECT_EQ(bytes[1054], 0x0A);
  EXPECT_EQ(bytes[30], kWave);

  CDriftlet viewer;
  ASSERT_TRUE(OpenPackage(viewer, nullptr, path));
  EXPECT_EQ(viewer.settings.displayType, kWave);
  EXPECT_EQ(viewer.settings.reserved[500], 0x5A);
  ASSERT_FALSE(viewer.tempFolder.empty());
  EXPECT_EQ(FileExists(viewer.tempFolder), 2);
  ASSERT_EQ(viewer.photoPaths.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(viewer.photoPaths[k], viewer.tempFolder + L"\\" + std::to_wstring(k) + L".jpg");
  }
  std::vector<std::uint8_t> second;
  ASSERT_TRUE(ReadWholeFile(viewer.photoPaths[1], second));
  EXPECT_EQ(second, Fill(20, 2));
  // Photos that cannot be decoded still get an item: a white square.
  ASSERT_EQ(viewer.items.size(), 3u);
  EXPECT_EQ(viewer.items[0]->image->Width(), 128 * 7 / 5);

  // Saving again reproduces every settings byte.
  const std::wstring again = folder.path() + L"again.k3dlt";
  ASSERT_TRUE(SavePackage(viewer, nullptr, again));
  std::vector<std::uint8_t> copy;
  ASSERT_TRUE(ReadWholeFile(again, copy));
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1054, copy.begin()));
  DeleteTree(viewer.tempFolder);
}

TEST(PackageFiles, SaveNeedsPhotosAndStopsAtAnUnreadableOne) {
  fixtures::TempFolder folder;
  CDriftlet empty;
  const std::wstring none = folder.path() + L"none.k3dlt";
  EXPECT_FALSE(SavePackage(empty, nullptr, none));
  EXPECT_EQ(FileExists(none), 0) << "nothing written";

  CDriftlet partial;
  partial.photoPaths = {folder.Write(L"a.jpg", Fill(7, 1)), folder.path() + L"gone.jpg",
                        folder.Write(L"c.jpg", Fill(9, 3))};
  const std::wstring path = folder.path() + L"partial.k3dlt";
  ASSERT_TRUE(SavePackage(partial, nullptr, path));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.size(), 1054u + 4 + 7) << "the photos before the unreadable one";
}

TEST(PackageFiles, EmptyRecordsOpenWithNoPhotos) {
  fixtures::TempFolder folder;
  // The header, then two empty records (eight zero bytes).
  std::vector<std::uint8_t> bytes(1054 + 8, 0);
  std::copy_n("Kelvarstone Driftlet File V1.0", 30, bytes.begin());
  const std::wstring path = folder.Write(L"empty.k3dlt", bytes);
  CDriftlet viewer;
  ASSERT_TRUE(OpenPackage(viewer, nullptr, path));
  EXPECT_TRUE(viewer.photoPaths.empty());
  EXPECT_TRUE(viewer.items.empty());
  DeleteTree(viewer.tempFolder);
}

}  // namespace
}  // namespace k3
