// Saving and opening package files on real files, with a recording user
// interface in place of the dialogs, and an opened package shown by the
// drifting window object (no window is needed for either).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"
#include "files/FileUtils.h"
#include "files/Package.h"
#include "res/resource.h"

namespace k3 {
namespace {

std::vector<std::uint8_t> Fill(std::size_t n, std::uint8_t v) { return std::vector<std::uint8_t>(n, v); }

// What an operation showed: its progress calls and its messages.
struct RecordingUi : PackageUi {
  int begun = 0, ended = 0;
  int lower = 0, upper = 0;
  std::vector<int> positions;
  std::vector<UINT> errors;  // the English identifiers
  void BeginProgress(int lo, int hi) override {
    ++begun;
    lower = lo;
    upper = hi;
  }
  void SetProgress(int position) override { positions.push_back(position); }
  void EndProgress() override { ++ended; }
  void ShowError(UINT, UINT english) override { errors.push_back(english); }
};

// Folders in the temporary folder, where packages are extracted.
std::size_t TempFolders() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> folders;
  EnumeratePaths(temp, folders, false, true);
  return folders.size();
}

PackageSettings SettingsOf(const DisplaySettings& s) { return SettingsToBytes(s); }

TEST(PackageFiles, SaveWritesTheRecordsAndOpenExtractsThem) {
  fixtures::TempFolder folder;
  DisplaySettings settings;
  settings.displayType = kWave;
  settings.reserved[500] = 0x5A;  // carried as it is
  const std::vector<std::wstring> photos = {folder.Write(L"a.jpg", Fill(10, 1)), folder.Write(L"b.jpg", Fill(20, 2)),
                                            folder.Write(L"c.jpg", Fill(5, 3))};
  const std::wstring path = folder.path() + L"show.k3dlt";
  RecordingUi saving;
  ASSERT_TRUE(SavePackage(SettingsOf(settings), photos, path, saving));
  EXPECT_EQ(saving.begun, 1);
  EXPECT_EQ(saving.ended, 1);
  EXPECT_EQ(saving.upper, 3);
  EXPECT_EQ(saving.positions, (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(saving.errors.empty());
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.size(), 1054u + 14 + 24 + 9);
  EXPECT_EQ(bytes[1054], 0x0A);
  EXPECT_EQ(bytes[30], kWave);

  RecordingUi opening;
  OpenedPackage opened;
  ASSERT_TRUE(OpenPackage(path, opening, opened));
  EXPECT_EQ(opening.begun, 1);
  EXPECT_EQ(opening.ended, 1);
  EXPECT_EQ(opening.lower, 1054);
  EXPECT_EQ(opening.upper, static_cast<int>(bytes.size()));
  ASSERT_FALSE(opening.positions.empty());
  EXPECT_EQ(opening.positions.back(), static_cast<int>(bytes.size()));
  const std::wstring extracted = opened.folder.path();
  ASSERT_FALSE(extracted.empty());
  EXPECT_EQ(FileExists(extracted), PathKind::Folder);
  ASSERT_EQ(opened.photos.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(opened.photos[k], extracted + L"\\" + std::to_wstring(k) + L".jpg");
  std::vector<std::uint8_t> second;
  ASSERT_TRUE(ReadWholeFile(opened.photos[1], second));
  EXPECT_EQ(second, Fill(20, 2));

  // The drifting window takes the settings, the photos and the folder.
  CDriftlet viewer;
  viewer.ShowPackage(std::move(opened));
  ASSERT_TRUE(DriftletProbe(viewer).WaitForPhotos());
  EXPECT_TRUE(opened.folder.empty());
  EXPECT_EQ(viewer.ExtractedFolder(), extracted);
  EXPECT_EQ(viewer.Settings().displayType, kWave);
  EXPECT_EQ(viewer.Settings().reserved[500], 0x5A);
  ASSERT_EQ(viewer.PhotoPaths().size(), 3u);
  // Photos that cannot be decoded still get an item: a white square.
  ASSERT_EQ(DriftletProbe(viewer).Items().size(), 3u);
  EXPECT_EQ(DriftletProbe(viewer).Items()[0]->image->Width(), 128 * 7 / 5);

  // Saving again reproduces every settings byte.
  const std::wstring again = folder.path() + L"again.k3dlt";
  RecordingUi resaving;
  ASSERT_TRUE(SavePackage(SettingsOf(viewer.Settings()), viewer.PhotoPaths(), again, resaving));
  std::vector<std::uint8_t> copy;
  ASSERT_TRUE(ReadWholeFile(again, copy));
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1054, copy.begin()));
}

TEST(PackageFiles, ExtractedFolderGoesWithItsOwner) {
  fixtures::TempFolder folder;
  RecordingUi ui;
  const std::wstring path = folder.path() + L"show.k3dlt";
  ASSERT_TRUE(SavePackage(SettingsOf(DisplaySettings{}), {folder.Write(L"a.jpg", Fill(10, 1))}, path, ui));

  // Without a window: the object's end deletes the folder.
  std::wstring extracted;
  {
    OpenedPackage opened;
    ASSERT_TRUE(OpenPackage(path, ui, opened));
    extracted = opened.folder.path();
    CDriftlet viewer;
    viewer.ShowPackage(std::move(opened));
    EXPECT_EQ(FileExists(extracted), PathKind::Folder);
  }
  EXPECT_EQ(FileExists(extracted), PathKind::None);

  // With a window: its destruction deletes the folder and lets go of the
  // photos and frames, while the object lives on.
  OpenedPackage opened;
  ASSERT_TRUE(OpenPackage(path, ui, opened));
  extracted = opened.folder.path();
  CDriftlet viewer;
  viewer.ShowPackage(std::move(opened));
  ASSERT_TRUE(DriftletProbe(viewer).WaitForPhotos());
  ASSERT_TRUE(viewer.CreateDriftWindow(L"Package test", true, nullptr));
  DriftletProbe(viewer).ComposeFrame();
  EXPECT_TRUE(DriftletProbe(viewer).Frame());
  viewer.DestroyWindow();
  EXPECT_EQ(FileExists(extracted), PathKind::None);
  EXPECT_TRUE(DriftletProbe(viewer).Items().empty());
  EXPECT_FALSE(DriftletProbe(viewer).Frame());
  EXPECT_FALSE(DriftletProbe(viewer).PoolHoldsFrame());
}

TEST(PackageFiles, SaveNeedsPhotosAndWritesNothingWithoutAllOfThem) {
  fixtures::TempFolder folder;
  const std::wstring none = folder.path() + L"none.k3dlt";
  RecordingUi ui;
  EXPECT_FALSE(SavePackage(SettingsOf(DisplaySettings{}), {}, none, ui));
  EXPECT_EQ(FileExists(none), PathKind::None) << "nothing written";
  EXPECT_TRUE(ui.errors.empty()) << "and nothing said";
  EXPECT_EQ(ui.begun, 0);

  const std::vector<std::wstring> photos = {folder.Write(L"a.jpg", Fill(7, 1)), folder.path() + L"gone.jpg",
                                            folder.Write(L"c.jpg", Fill(9, 3))};
  // A photo that cannot be read: the read error, and no package at all.
  const std::wstring path = folder.path() + L"partial.k3dlt";
  EXPECT_FALSE(SavePackage(SettingsOf(DisplaySettings{}), photos, path, ui));
  EXPECT_EQ(ui.errors, (std::vector<UINT>{IDS_READ_ERROR_EN}));
  EXPECT_EQ(FileExists(path), PathKind::None);
  EXPECT_EQ(ui.begun, ui.ended);

  // Saving over an existing show: the old one stays until the new one is
  // complete, and a failed save leaves it as it was.
  const std::wstring existing = folder.path() + L"existing.k3dlt";
  RecordingUi first;
  ASSERT_TRUE(SavePackage(SettingsOf(DisplaySettings{}), {photos[0]}, existing, first));
  std::vector<std::uint8_t> before;
  ASSERT_TRUE(ReadWholeFile(existing, before));
  RecordingUi again;
  EXPECT_FALSE(SavePackage(SettingsOf(DisplaySettings{}), photos, existing, again));
  std::vector<std::uint8_t> after;
  ASSERT_TRUE(ReadWholeFile(existing, after));
  EXPECT_EQ(after, before) << "the old show is untouched";
  RecordingUi replacing;
  ASSERT_TRUE(SavePackage(SettingsOf(DisplaySettings{}), {photos[0], photos[2]}, existing, replacing));
  ASSERT_TRUE(ReadWholeFile(existing, after));
  EXPECT_EQ(after.size(), 1054u + 4 + 7 + 4 + 9);
  std::vector<std::wstring> left;
  EnumeratePaths(folder.path(), left, false, false);
  for (const std::wstring& name : left) EXPECT_EQ(name.find(L".new"), std::wstring::npos) << "no file left beside it";

  // A target that cannot be written: a message, and no file.
  RecordingUi failing;
  const std::wstring blocked = folder.path() + L"no\\such\\folder.k3dlt";
  EXPECT_FALSE(SavePackage(SettingsOf(DisplaySettings{}), {photos[0], photos[2]}, blocked, failing));
  EXPECT_EQ(failing.errors, (std::vector<UINT>{IDS_WRITE_ERROR_EN}));
  EXPECT_EQ(failing.begun, failing.ended) << "the progress display is closed on the failing path too";
}

TEST(PackageFiles, OpenTellsWhatIsWrongAndLeavesNothingBehind) {
  fixtures::TempFolder folder;
  RecordingUi missing;
  OpenedPackage opened;
  EXPECT_FALSE(OpenPackage(folder.path() + L"gone.k3dlt", missing, opened));
  EXPECT_EQ(missing.errors, (std::vector<UINT>{IDS_READ_ERROR_EN}));

  RecordingUi other;
  EXPECT_FALSE(OpenPackage(folder.Write(L"photo.k3dlt", Fill(2000, 7)), other, opened));
  EXPECT_EQ(other.errors, (std::vector<UINT>{IDS_NOT_PACKAGE_EN}));

  // A record running past the end: refused with the read error, before any
  // folder is made.
  std::vector<std::uint8_t> bytes(1054 + 4 + 3, 0);
  std::copy_n("Kelvarstone Driftlet File V1.0", 30, bytes.begin());
  bytes[1054] = 10;
  RecordingUi damaged;
  const std::wstring shortPackage = folder.Write(L"short.k3dlt", bytes);
  const std::size_t before = TempFolders();
  EXPECT_FALSE(OpenPackage(shortPackage, damaged, opened));
  EXPECT_EQ(damaged.errors, (std::vector<UINT>{IDS_READ_ERROR_EN}));
  EXPECT_EQ(TempFolders(), before) << "no folder left behind";
  EXPECT_TRUE(opened.folder.empty());
  EXPECT_TRUE(opened.photos.empty());

  // Only empty records, or none at all: no photo to show.
  for (const std::size_t empties : {std::size_t{0}, std::size_t{3}}) {
    std::vector<std::uint8_t> hollow(1054 + 4 * empties, 0);
    std::copy_n("Kelvarstone Driftlet File V1.0", 30, hollow.begin());
    RecordingUi nothing;
    EXPECT_FALSE(OpenPackage(folder.Write(L"hollow.k3dlt", hollow), nothing, opened)) << empties;
    EXPECT_EQ(nothing.errors, (std::vector<UINT>{IDS_READ_ERROR_EN})) << empties;
    EXPECT_EQ(TempFolders(), before) << empties;
  }
}

TEST(PackageFiles, EmptyRecordsBetweenPhotosMakeNoPaths) {
  fixtures::TempFolder folder;
  // The header, an empty record, a record of five bytes, an empty record.
  std::vector<std::uint8_t> bytes(1054 + 4 + 4 + 5 + 4, 0);
  std::copy_n("Kelvarstone Driftlet File V1.0", 30, bytes.begin());
  bytes[1058] = 5;
  std::copy_n("photo", 5, bytes.begin() + 1062);
  const std::wstring path = folder.Write(L"empty.k3dlt", bytes);
  RecordingUi ui;
  OpenedPackage opened;
  ASSERT_TRUE(OpenPackage(path, ui, opened));
  EXPECT_TRUE(ui.errors.empty());
  ASSERT_EQ(opened.photos.size(), 1u) << "no path is made for an empty record";
  std::vector<std::uint8_t> photo;
  ASSERT_TRUE(ReadWholeFile(opened.photos[0], photo));
  EXPECT_EQ(std::string(photo.begin(), photo.end()), "photo");
  CDriftlet viewer;
  viewer.ShowPackage(std::move(opened));
  EXPECT_EQ(viewer.PhotoPaths().size(), 1u);
}

}  // namespace
}  // namespace k3
