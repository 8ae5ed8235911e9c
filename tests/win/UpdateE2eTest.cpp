// End to end: the update command of the real program against the project's
// update service, reached through the prefix's proxy setting with the
// vendor's host name: a newer version downloaded beside the program, the
// newest already installed, and a service that misbehaves.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "Releases.h"
#include "kicker/KickerRules.h"

using namespace e2e;

namespace {

std::wstring Texts(const std::wstring& jaText, const std::wstring& enText) {
  return JapaneseEdition() ? jaText : enText;
}

TEST(Update, NewerVersionDownloadedBesideTheProgramNewestAndBrokenServiceLeaveNothing) {
  Releases releases("01010700");
  UpdateService service(releases.folder.path());
  ASSERT_GT(service.port(), 0);
  ProxyScope proxy(service.port());

  fixtures::TempFolder programFolder;
  const std::wstring exe = programFolder.path() + L"k3driftlet.bin";
  ASSERT_TRUE(::CopyFileW(DriftletPath().c_str(), exe.c_str(), FALSE));
  const std::wstring downloaded = programFolder.path() + std::wstring(k3::PendingPackageName(JapaneseEdition()));

  Program program(exe, L"", true);
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  HWND view = ::GetDlgItem(frame, 0xE900);
  HWND gear = ::GetDlgItem(view, 214);
  ASSERT_TRUE(gear) << "the update command has its button";
  ASSERT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame); }, 10000));
  auto update = [&] {
    const POINT p = ScreenCentre(gear);
    // Clicks follow each other quickly (a second click soon after the first
    // is a double click to the button, and must work all the same).
    MouseClick(p.x, p.y);
    auto box = WaitMessageBox(program.Pid(), 60000);
    if (!box) return std::wstring(L"(no message)");
    PressButton(box->hwnd, IDOK);
    WaitUntil([&] { return !::IsWindow(box->hwnd); }, 5000);
    return box->text;
  };
  const std::wstring done = Texts(L"最新版のダウンロードが成功しました。\nプログラムを終了し、再起動してください。",
                                  L"Download of the latest version was completed.\nTerminate this program and restart.");
  const std::wstring error = Texts(L"エラーが発生しました。", L"Unexpected error was occured.");
  const std::wstring newest = Texts(L"既に最新の状態です。", L"No newer program was found.");

  // A newer version: its package beside the program, byte for byte.
  EXPECT_EQ(update(), done);
  EXPECT_EQ(ReadFileBytes(downloaded), ReadFileBytes(releases.Package()));

  // A broken download leaves the package that is there as it was, and no
  // partial file: a body of another length than announced, an error page
  // served with status 200 or 404 instead of the version.
  const std::vector<std::uint8_t> before = ReadFileBytes(downloaded);
  ASSERT_TRUE(service.SetFault("badlength"));
  EXPECT_EQ(update(), error);
  EXPECT_EQ(ReadFileBytes(downloaded), before);
  ::DeleteFileW(downloaded.c_str());
  EXPECT_EQ(update(), error);
  EXPECT_EQ(::GetFileAttributesW(downloaded.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
  ASSERT_TRUE(service.SetFault("status200page"));
  EXPECT_EQ(update(), error) << "a page instead of a version";
  ASSERT_TRUE(service.SetFault("status404"));
  EXPECT_EQ(update(), error);

  // The newest version already installed.
  ASSERT_TRUE(service.SetFault(""));
  releases.SetVersion("01010600");
  EXPECT_EQ(update(), newest);
  EXPECT_EQ(::GetFileAttributesW(downloaded.c_str()), INVALID_FILE_ATTRIBUTES);

  // A body cut short (the service closes half-way): the package already
  // there stays as it was. (Last: the connection it breaks is not used
  // again.)
  releases.SetVersion("01010700");
  ASSERT_TRUE(::CopyFileW(releases.Package().c_str(), downloaded.c_str(), FALSE));
  ASSERT_TRUE(service.SetFault("truncated"));
  EXPECT_EQ(update(), error);
  EXPECT_EQ(ReadFileBytes(downloaded), ReadFileBytes(releases.Package()));
  std::vector<std::wstring> left;
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileW((programFolder.path() + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != L'.') left.push_back(found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
  std::sort(left.begin(), left.end());
  std::vector<std::wstring> expected = {std::wstring(k3::PendingPackageName(JapaneseEdition())), L"k3driftlet.bin"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected) << "no file of any failed download";

  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  if (auto box = WaitMessageBox(program.Pid())) PressButton(box->hwnd, IDYES);
  EXPECT_TRUE(program.WaitExit(15000));
}

}  // namespace
