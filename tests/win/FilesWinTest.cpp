// File and folder utilities on a real folder tree under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#include <cstdlib>

#include "files/FileUtils.h"
#include "framework/Handles.h"

namespace k3 {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  std::wstring root;

  void SetUp() override {
    root = MakeTempName(L"");
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    root += L"\\";
  }
  void TearDown() override {
    if (FileExists(root) != PathKind::None) DeleteTree(root);
  }
  std::wstring Make(const std::wstring& relative, const std::string& text = "x") {
    const std::wstring path = root + relative;
    EXPECT_TRUE(WriteWholeFile(static_cast<std::uint32_t>(text.size()), path, text.data())) << relative;
    return path;
  }
  std::wstring Folder(const std::wstring& relative) {
    const std::wstring path = root + relative;
    EXPECT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << relative;
    return path;
  }
};

TEST_F(FilesTest, ReplacingAFileNeverOpensWhatLiesAtTheNewFilesName) {
  const std::wstring list = Make(L"IMG.DAT", "old");
  // Names the replacement might take are already there: a file of someone
  // else's and a link to a file outside.
  const std::wstring outside = Make(L"outside.txt", "keep me");
  const std::wstring taken = Make(L"IMG.DAT.0.new", "not mine");
  ASSERT_TRUE(::CreateSymbolicLinkW((root + L"IMG.DAT.1.new").c_str(), outside.c_str(), 0) ||
              ::CopyFileW(outside.c_str(), (root + L"IMG.DAT.1.new").c_str(), TRUE));
  const std::string fresh = "the new list";
  ASSERT_TRUE(ReplaceWholeFile(static_cast<std::uint32_t>(fresh.size()), list, fresh.data()));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(list, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), fresh);
  ASSERT_TRUE(ReadWholeFile(taken, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "not mine") << "an existing file is never opened";
  ASSERT_TRUE(ReadWholeFile(outside, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "keep me") << "nor a link followed";
  EXPECT_EQ(FileExists(root + L"IMG.DAT.2.new"), PathKind::None) << "the new file was renamed into place";
}

TEST_F(FilesTest, FileExistsKinds) {
  EXPECT_EQ(FileExists(L""), PathKind::None);
  EXPECT_EQ(FileExists(L"C:\\"), PathKind::Folder);
  EXPECT_EQ(FileExists(L"Q:\\"), PathKind::Folder) << "a drive root is not looked up";
  const std::wstring folder = Folder(L"photos");
  EXPECT_EQ(FileExists(folder), PathKind::Folder);
  EXPECT_EQ(FileExists(folder + L"\\"), PathKind::Folder);
  EXPECT_EQ(FileExists(Make(L"photos\\a.jpg")), PathKind::File);
  EXPECT_EQ(FileExists(root + L"missing.jpg"), PathKind::None);
  EXPECT_EQ(FileExists(root + L"photos\\*.jpg"), PathKind::None) << "a pattern names no file";
}

TEST_F(FilesTest, ReadAndWriteWholeFiles) {
  const std::wstring empty = Make(L"empty.bin", "");
  std::vector<std::uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(ReadWholeFile(empty, bytes));
  EXPECT_TRUE(bytes.empty());

  const std::string text(70000, 'q');
  const std::wstring big = Make(L"big.bin", text);
  ASSERT_TRUE(ReadWholeFile(big, bytes));
  EXPECT_EQ(bytes.size(), text.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), text.begin()));
  EXPECT_FALSE(ReadWholeFile(root + L"none.bin", bytes));
  EXPECT_FALSE(ReadWholeFile(root, bytes)) << "a folder is not a file";

  // Replacing an existing file.
  ASSERT_TRUE(WriteWholeFile(2, big, "ok"));
  ASSERT_TRUE(ReadWholeFile(big, bytes));
  EXPECT_EQ(bytes.size(), 2u);

  // A folder path cannot be written, and nothing is left behind.
  const std::wstring folder = Folder(L"target");
  EXPECT_FALSE(WriteWholeFile(2, folder, "no"));
  EXPECT_EQ(FileExists(folder), PathKind::Folder);
  EXPECT_FALSE(WriteWholeFile(2, root + L"nofolder\\x.bin", "no"));
  EXPECT_EQ(FileExists(root + L"nofolder\\x.bin"), PathKind::None);
}

TEST_F(FilesTest, TempFoldersMadeAtTheSameMomentAreAllNew) {
  // Two shows opened together choose their extraction folders in the same
  // tick: each must get a folder of its own.
  constexpr int kEach = 40;
  std::vector<std::wstring> made[2];
  std::atomic<bool> go{false};
  std::thread threads[2];
  for (int t = 0; t < 2; ++t) {
    threads[t] = std::thread([&, t] {
      while (!go) {
      }
      for (int i = 0; i < kEach; ++i) made[t].push_back(CreateTempFolder(L".k3race"));
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  std::vector<std::wstring> all = made[0];
  all.insert(all.end(), made[1].begin(), made[1].end());
  for (const std::wstring& folder : all) EXPECT_EQ(FileExists(folder), PathKind::Folder) << folder;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "no folder handed out twice";
  for (const std::wstring& folder : all) ::RemoveDirectoryW(folder.c_str());
}

TEST_F(FilesTest, TempNamesSkipWhatExists) {
  // One tick count for every call, as when they come within one tick.
  constexpr std::uint32_t kTick = 0x00C0FFEE;
  const std::wstring first = MakeTempName(L".k3t", kTick);
  EXPECT_EQ(FileExists(first), PathKind::None);
  EXPECT_EQ(first.substr(first.size() - 15), L"\\00C0FFEE_0.k3t");
  ASSERT_TRUE(WriteWholeFile(1, first, "x"));
  const std::wstring second = MakeTempName(L".k3t", kTick);
  EXPECT_EQ(second.substr(0, second.size() - 6), first.substr(0, first.size() - 6));
  EXPECT_EQ(second.substr(second.size() - 6), L"_1.k3t") << "the name that exists is skipped";
  ASSERT_TRUE(::CreateDirectoryW(second.c_str(), nullptr));
  const std::wstring third = MakeTempName(L".k3t", kTick);
  EXPECT_EQ(third.substr(third.size() - 6), L"_2.k3t") << "a folder counts as taken too";
  EXPECT_EQ(FileExists(third), PathKind::None);
  const std::wstring plain = MakeTempName(L"");
  EXPECT_EQ(plain.substr(plain.size() - 4), L".tmp");
  DeleteFileForce(first);
  ::RemoveDirectoryW(second.c_str());
}

TEST_F(FilesTest, DeleteTreeWithReadOnlyFilesAndNestedFolders) {
  Folder(L"t");
  Folder(L"t\\a");
  Folder(L"t\\a\\b");
  const std::wstring locked = Make(L"t\\a\\b\\locked.jpg");
  ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  ::SetFileAttributesW((root + L"t\\a").c_str(), FILE_ATTRIBUTE_READONLY);
  Make(L"t\\top.txt");
  EXPECT_TRUE(DeleteTree(root + L"t"));
  EXPECT_EQ(FileExists(root + L"t"), PathKind::None);
  EXPECT_FALSE(DeleteTree(root + L"t")) << "nothing left";
  const std::wstring single = Make(L"single.txt");
  ::SetFileAttributesW(single.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteTree(single));
  EXPECT_EQ(FileExists(single), PathKind::None);
}

TEST_F(FilesTest, EnumerateSkipsExactlyPageFolders) {
  // Names differing only in case cannot share a folder, so "_page_" lives
  // one level down.
  Make(L"a.jpg");
  Folder(L"_PAGE_");
  Make(L"_PAGE_\\b.jpg");
  Folder(L"sub");
  Folder(L"sub\\_page_");
  Make(L"sub\\_page_\\c.jpg");
  Folder(L"sub\\deeper");
  Make(L"sub\\deeper\\d.JPG");
  std::vector<std::wstring> files;
  ASSERT_TRUE(EnumeratePaths(root, files, true, false));
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::wstring>{root + L"a.jpg", root + L"sub\\_page_\\c.jpg",
                                              root + L"sub\\deeper\\d.JPG"}));

  std::vector<std::wstring> folders;
  ASSERT_TRUE(EnumeratePaths(root, folders, false, true));
  EXPECT_EQ(folders, (std::vector<std::wstring>{root + L"sub"})) << "not recursing";
  folders.clear();
  ASSERT_TRUE(EnumeratePaths(root, folders, true, true));
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (std::vector<std::wstring>{root + L"sub", root + L"sub\\_page_", root + L"sub\\deeper"}));

  std::vector<std::wstring> one;
  ASSERT_TRUE(EnumeratePaths(root + L"a.jpg", one, true, false));
  EXPECT_EQ(one, (std::vector<std::wstring>{root + L"a.jpg"}));
  EXPECT_FALSE(EnumeratePaths(root + L"none", one, true, false));

  std::wstring ext = L"unchanged";
  GetExtension(L"", ext);
  EXPECT_EQ(ext, L"unchanged");
  GetExtension(L"C:\\a\\b.JPG", ext);
  EXPECT_EQ(ext, L".JPG");
  GetExtension(L"C:\\a\\b", ext);
  EXPECT_EQ(ext, L"");
}

// Links inside an extracted tree are removed as links; what they point to
// survives. Wine shows a Unix link to a folder as a reparse point (it cannot
// remove one, so the tree then reports failure) and a link to a file as a
// plain file, whose deletion removes the link only.
TEST(DeleteTreeLinks, NeverFollowsALinkOutOfTheTree) {
  const char* fixture = std::getenv("K3_LINK_FIXTURE");
  if (!fixture) GTEST_SKIP() << "run through with-link-fixture.sh to get a tree with links";
  std::wstring base;
  for (const char* c = fixture; *c; ++c) base += static_cast<wchar_t>(*c);
  const std::wstring tree = base + L"\\tree", outside = base + L"\\outside";
  const DWORD linkAttributes = ::GetFileAttributesW((tree + L"\\folderlink").c_str());
  ASSERT_NE(linkAttributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT);

  std::vector<std::wstring> listed;
  ASSERT_TRUE(EnumeratePaths(tree, listed, true, false));
  for (const auto& p : listed) EXPECT_EQ(p.find(L"deep.txt"), std::wstring::npos) << "links are not entered";

  DeleteTree(tree);
  EXPECT_EQ(FileExists(outside + L"\\keep.txt"), PathKind::File);
  EXPECT_EQ(FileExists(outside + L"\\inner\\deep.txt"), PathKind::File);
  EXPECT_EQ(FileExists(tree + L"\\sub\\a.txt"), PathKind::None) << "the tree's own files are gone";
}

}  // namespace
}  // namespace k3
