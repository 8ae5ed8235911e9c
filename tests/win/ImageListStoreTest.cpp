// IMG.DAT on real files: the records, the replacement of an old list, and
// paths the thread's code page cannot spell.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handles.h"

#include "ImageFixtures.h"
#include "files/FileUtils.h"
#include "ui/ImageListStore.h"

namespace k3 {
namespace {

TEST(ImageListStore, SavesRecordsAndReplacesTheOldListWhole) {
  fixtures::TempFolder folder;
  const std::vector<std::wstring> photos = {folder.Write(L"a.jpg", {1}), folder.Write(L"b.jpg", {2}),
                                            folder.Write(L"c.jpeg", {3})};
  const std::wstring list = folder.path() + L"IMG.DAT";
  ASSERT_TRUE(SaveImageListFile(list, photos));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  ASSERT_EQ(bytes.size(), 1536u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())),
            std::string(photos[0].begin(), photos[0].end()));
  EXPECT_EQ(LoadImageListFile(list), photos);

  // A shorter list replaces the file; nothing of the writing stays beside it.
  ASSERT_TRUE(SaveImageListFile(list, {photos[2]}));
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  EXPECT_EQ(bytes.size(), 512u);
  EXPECT_EQ(FileExists(list + L".new"), PathKind::None);
  EXPECT_EQ(LoadImageListFile(list), std::vector<std::wstring>{photos[2]});

  // A list that cannot be put in place (another program holds the old one
  // open) leaves the old one as it was, and nothing beside it.
  {
    fw::FileHandle held(::CreateFileW(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(SaveImageListFile(list, photos));
  }
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  EXPECT_EQ(bytes.size(), 512u);
  std::vector<std::wstring> beside;
  EnumeratePaths(folder.path(), beside, false, false);
  EXPECT_EQ(beside.size(), photos.size() + 1) << "the photos and the list only";

  EXPECT_TRUE(LoadImageListFile(folder.path() + L"none.dat").empty());
}

TEST(ImageListStore, PathsOutsideTheCodePageComeBackWhole) {
  fixtures::TempFolder folder;
  // A folder named in Japanese and one in Greek: one of the two cannot be
  // spelt in the code page of either edition.
  std::vector<std::wstring> photos;
  for (const wchar_t* name : {L"\u5199\u771F", L"\u03C6\u03C9\u03C4\u03BF"}) {
    const std::wstring sub = folder.path() + name;
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring photo = sub + L"\\p.jpg";
    ASSERT_TRUE(WriteWholeFile(1, photo, "x"));
    photos.push_back(photo);
  }
  const std::wstring list = folder.path() + L"IMG.DAT";
  ASSERT_TRUE(SaveImageListFile(list, photos));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  ASSERT_EQ(bytes.size(), 1024u) << "both stored";
  for (std::size_t r = 0; r < 2; ++r) {
    const std::string text(reinterpret_cast<const char*>(bytes.data() + 512 * r));
    EXPECT_EQ(text.find('?'), std::string::npos) << "no replacement characters: " << text;
  }
  EXPECT_EQ(LoadImageListFile(list), photos) << "read back in their long forms";
  ::DeleteFileW(photos[0].c_str());
  ::DeleteFileW(photos[1].c_str());
  ::RemoveDirectoryW((folder.path() + L"\u5199\u771F").c_str());
  ::RemoveDirectoryW((folder.path() + L"\u03C6\u03C9\u03C4\u03BF").c_str());
}

}  // namespace
}  // namespace k3

namespace k3 {
namespace {

TEST(ImageListStore, RoundTripUnderTheUtf8CodePage) {
  // Systems set to "Use Unicode UTF-8 for worldwide language support" have
  // 65001 as their ANSI code page: every path has a lossless form there.
  const ImageListPaths utf8 = CodePageImageListPaths(65001);
  fixtures::TempFolder folder;
  const std::vector<std::wstring> photos = {folder.Write(L"\x5199\x771F.jpg", {1}),
                                            folder.Write(L"caf\x00E9 \x00FC.jpg", {2}), folder.Write(L"plain.jpg", {3})};
  const std::wstring list = folder.path() + L"IMG.DAT";
  ASSERT_TRUE(SaveImageListFile(list, photos, utf8));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  EXPECT_EQ(bytes.size(), 3 * kImageListRecordBytes) << "every photo kept";
  EXPECT_EQ(LoadImageListFile(list, utf8), photos);
  // The record is the path in UTF-8.
  const std::wstring& first = photos[0];
  const std::string expected = *utf8.toAnsi(first);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), expected);
  EXPECT_EQ(expected.size(), first.size() + 4) << "two characters of three bytes each";
}

TEST(ImageListStore, APathWithoutALosslessFormLeavesTheOthers) {
  const ImageListPaths western = CodePageImageListPaths(1252);
  EXPECT_TRUE(western.toAnsi(L"C:\\caf\x00E9.jpg")) << "a character of the code page";
  EXPECT_FALSE(western.toAnsi(L"C:\\\x5199.jpg")) << "no form in 1252";
  EXPECT_FALSE(western.toAnsi(L"C:\\\x0101.jpg")) << "a best fit (a for a-macron) is not the same path";
  fixtures::TempFolder folder;
  const std::vector<std::wstring> kept = {folder.Write(L"a.jpg", {1}), folder.Write(L"b.jpg", {2})};
  // A path without a short form (its file is gone) and no form in 1252.
  const std::wstring lost = folder.path() + L"\x5199\x771F-gone.jpg";
  const std::wstring list = folder.path() + L"IMG.DAT";
  ASSERT_TRUE(SaveImageListFile(list, {kept[0], lost, kept[1]}, western));
  EXPECT_EQ(LoadImageListFile(list, western), kept);
  // A list of nothing but such paths never replaces the list on disk.
  EXPECT_FALSE(SaveImageListFile(list, {lost}, western));
  EXPECT_EQ(LoadImageListFile(list, western), kept);
  // The user's own deletions still empty it.
  EXPECT_TRUE(SaveImageListFile(list, {}, western));
  EXPECT_TRUE(LoadImageListFile(list, western).empty());
}

}  // namespace
}  // namespace k3
