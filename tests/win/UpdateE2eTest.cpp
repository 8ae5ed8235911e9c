// End to end: the update command of the real program against the project's
// update service, reached through the prefix's proxy setting with the
// vendor's host name: a newer version downloaded beside the program, the
// newest already installed, a service that misbehaves, packages that are
// not the vendor's signed package of the announced version, and a service
// that sends too slowly or too much; and a slow download that leaves the
// program alive meanwhile and ends at once when the program closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "ui/ControlIds.h"
#include "ImageFixtures.h"
#include "Releases.h"
#include "kicker/KickerRules.h"

using namespace e2e;
namespace ids = k3::ids;

namespace {

std::wstring Texts(const std::wstring& jaText, const std::wstring& enText) {
  return JapaneseEdition() ? jaText : enText;
}

// The program copied into a folder of its own and started, with the
// update command at hand.
class UpdateCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(service.port(), 0);
    ASSERT_TRUE(::CopyFileW(DriftletPath().c_str(), exe.c_str(), FALSE));
    program = std::make_unique<Program>(exe, L"", true);
    frame = program->WaitMainFrame();
    ASSERT_TRUE(frame);
    gear = ::GetDlgItem(::GetDlgItem(frame, ids::kView), ids::kUpdate);
    ASSERT_TRUE(gear) << "the update command has its button";
    ASSERT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame); }, 10000));
  }
  void TearDown() override {
    if (!program) return;
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    if (auto box = WaitMessageBox(program->Pid())) PressButton(box->hwnd, IDYES);
    EXPECT_TRUE(program->WaitExit(15000));
  }
  // Presses the gear and answers the message that ends the command; its
  // text.
  std::wstring Update() {
    const POINT p = ScreenCentre(gear);
    // Clicks follow each other quickly (a second click soon after the first
    // is a double click to the button, and must work all the same).
    MouseClick(p.x, p.y);
    auto box = WaitMessageBox(program->Pid(), 90000);
    if (!box) return L"(no message)";
    PressButton(box->hwnd, IDOK);
    WaitUntil([&] { return !::IsWindow(box->hwnd); }, 5000);
    return box->text;
  }
  // The names in the program folder.
  std::vector<std::wstring> Left() const {
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
    return left;
  }

  Releases releases{"01010700", L"installer\\next"};
  UpdateService service{releases.folder.path()};
  ProxyScope proxy{service.port()};
  fixtures::TempFolder programFolder;
  const std::wstring exe = programFolder.path() + L"k3driftlet.bin";
  const std::wstring downloaded = programFolder.path() + std::wstring(k3::PendingPackageName(JapaneseEdition()));
  const std::wstring signature = downloaded + L".p7s";
  std::unique_ptr<Program> program;
  HWND frame = nullptr;
  HWND gear = nullptr;

  const std::wstring done =
      Texts(L"最新版のダウンロードが成功しました。\nプログラムを終了し、再起動してください。",
            L"Download of the latest version was completed.\nTerminate this program and restart.");
  const std::wstring error = Texts(L"エラーが発生しました。", L"Unexpected error was occured.");
  const std::wstring newest = Texts(L"既に最新の状態です。", L"No newer program was found.");
};

// The package of one of the build's installer folders for an edition.
std::vector<std::uint8_t> BuiltPackage(const std::wstring& folder, bool japanese, const wchar_t* suffix = L"") {
  return ReadFileBytes(BinFolder() + L"..\\installer\\" + folder + L"\\" + PackageName(japanese) + suffix);
}

TEST_F(UpdateCommand, NewerVersionDownloadedBesideTheProgramNewestAndBrokenServiceLeaveNothing) {
  auto update = [&] { return Update(); };
  // A newer version: its package beside the program, byte for byte, with
  // its signature.
  EXPECT_EQ(update(), done);
  EXPECT_EQ(ReadFileBytes(downloaded), ReadFileBytes(releases.Package()));
  EXPECT_EQ(ReadFileBytes(signature), ReadFileBytes(releases.Signature()));

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
  std::vector<std::wstring> expected = {std::wstring(k3::PendingPackageName(JapaneseEdition())),
                                        std::wstring(k3::PendingPackageName(JapaneseEdition())) + L".p7s",
                                        L"k3driftlet.bin"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Left(), expected) << "no file of any failed download";
}

TEST_F(UpdateCommand, OnlyTheVendorsSignedPackageOfTheAnnouncedVersionIsWritten) {
  const bool japanese = JapaneseEdition();
  const auto good = BuiltPackage(L"next", japanese);
  const auto goodSignature = BuiltPackage(L"next", japanese, L".p7s");
  ASSERT_GT(good.size(), 100000u);
  ASSERT_FALSE(goodSignature.empty()) << "the build signs the package";
  const auto changed = WithCabinetByteChanged(good);
  ASSERT_EQ(changed.size(), good.size());
  struct Case {
    const char* what;
    std::vector<std::uint8_t> package, signature;
  };
  const std::vector<Case> cases = {
      {"one byte of a stream changed", changed, goodSignature},
      {"the package unsigned", BuiltPackage(L"unsigned", japanese), {}},
      {"the unsigned package with the signature of the signed one", BuiltPackage(L"unsigned", japanese), goodSignature},
      {"signed with another key", BuiltPackage(L"otherkey", japanese), BuiltPackage(L"otherkey", japanese, L".p7s")},
      {"the other edition's signed package under this edition's name", BuiltPackage(L"next", !japanese),
       BuiltPackage(L"next", !japanese, L".p7s")},
      {"a signature of another package", good, BuiltPackage(L"next", !japanese, L".p7s")},
      {"the signed package for the other platform", BuiltPackage(L"otherarch", japanese),
       BuiltPackage(L"otherarch", japanese, L".p7s")},
  };
  // A package downloaded before stays as it was whatever comes now.
  ASSERT_TRUE(WriteFileBytes(downloaded, good));
  ASSERT_TRUE(WriteFileBytes(signature, goodSignature));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    releases.SetPackage(c.package, c.signature);
    EXPECT_EQ(Update(), error);
    EXPECT_EQ(ReadFileBytes(downloaded), good);
    EXPECT_EQ(ReadFileBytes(signature), goodSignature);
  }
  ::DeleteFileW(downloaded.c_str());
  ::DeleteFileW(signature.c_str());
  // The vendor's own package, announced as another version than it is.
  releases.SetPackage(good, goodSignature);
  releases.SetVersion("01010800");
  EXPECT_EQ(Update(), error) << "announced 1.1.8.0, the package is 1.1.7.0";
  EXPECT_EQ(Left(), std::vector<std::wstring>{L"k3driftlet.bin"}) << "nothing written";
  // And as it is: it is written.
  releases.SetVersion("01010700");
  EXPECT_EQ(Update(), done);
  EXPECT_EQ(ReadFileBytes(downloaded), good);
}

TEST_F(UpdateCommand, AServerThatSendsTooSlowlyOrTooMuchEndsWithTheErrorWithinTheCeiling) {
  // One byte of the version every 15 seconds: the request ends at its time
  // ceiling (30 s), not when the server is done (2 minutes).
  ASSERT_TRUE(service.SetFault("drip"));
  ULONGLONG started = ::GetTickCount64();
  EXPECT_EQ(Update(), error);
  const ULONGLONG dripMs = ::GetTickCount64() - started;
  EXPECT_LT(dripMs, 50000u);
  EXPECT_GE(dripMs, 25000u) << "it was the time ceiling that ended it";
  // A version reply that does not end: over its few dozen bytes at once.
  ASSERT_TRUE(service.SetFault("endless"));
  started = ::GetTickCount64();
  EXPECT_EQ(Update(), error);
  EXPECT_LT(::GetTickCount64() - started, 20000u);
  EXPECT_EQ(Left(), std::vector<std::wstring>{L"k3driftlet.bin"}) << "nothing written";
}

// The download's bar of the program `pid`, once it shows.
HWND WaitProgressBar(DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND d : FindWindows(pid, L"", L"#32770")) {
          if (::IsWindowVisible(d) && ::FindWindowExW(d, nullptr, PROGRESS_CLASSW, nullptr)) found = d;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

// While a package comes slowly the program goes on: the photo drifts, a
// click on the main window takes effect at once, the download ends with
// the usual message; closed in the middle of one, the program ends within
// seconds and leaves no package behind.
TEST(UpdateInTheBackground, TheProgramGoesOnWhileAPackageComesSlowlyAndEndsAtOnceWhenClosed) {
  Releases releases{"01010700", L"installer\\next"};
  UpdateService service{releases.folder.path()};
  ASSERT_GT(service.port(), 0);
  ProxyScope proxy{service.port()};
  fixtures::TempFolder folder;
  const std::wstring exe = folder.path() + L"k3driftlet.bin";
  ASSERT_TRUE(::CopyFileW(DriftletPath().c_str(), exe.c_str(), FALSE));
  const std::wstring photo = folder.path() + L"photo.jpg";
  ASSERT_TRUE(WriteFileBytes(photo, fixtures::Encode(
                                        160, 120, [](int, int) { return 0xFF2060C0u; }, L"image/jpeg")));
  WriteImageList(folder.path() + L"IMG.DAT", {photo});
  const std::wstring downloaded = folder.path() + std::wstring(k3::PendingPackageName(JapaneseEdition()));
  ASSERT_TRUE(service.SetFault("trickle"));

  for (bool closeEarly : {false, true}) {
    SCOPED_TRACE(closeEarly ? "closed during the download" : "the download completes");
    Program program(exe, L"", true);
    HWND frame = program.WaitMainFrame();
    ASSERT_TRUE(frame);
    HWND drift = program.WaitDriftWindow();
    ASSERT_TRUE(drift);
    HWND view = ::GetDlgItem(frame, ids::kView);
    ASSERT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame) && ::IsWindowVisible(drift); }, 15000));
    const POINT gear = ScreenCentre(::GetDlgItem(view, ids::kUpdate));
    MouseClick(gear.x, gear.y);
    ASSERT_TRUE(WaitProgressBar(program.Pid(), 20000)) << "the download began";

    if (!closeEarly) {
      // The photo moves in (nearly) every half second of the download.
      int moved = 0;
      RECT last{};
      ::GetWindowRect(drift, &last);
      for (int i = 0; i < 6; ++i) {
        ::Sleep(500);
        RECT now{};
        ::GetWindowRect(drift, &now);
        moved += !::EqualRect(&now, &last);
        last = now;
      }
      EXPECT_GE(moved, 5) << "the drift goes on";
      // A click on a size of the settings panel is taken within a second.
      HWND size256 = ::GetDlgItem(view, ids::kSizeFirst + 3);
      const POINT at = ScreenCentre(size256);
      const ULONGLONG clicked = ::GetTickCount64();
      MouseClick(at.x, at.y);
      EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(size256, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 1000))
          << "after " << ::GetTickCount64() - clicked << " ms";
      EXPECT_TRUE(WaitProgressBar(program.Pid(), 100)) << "the download was still under way";
      // The usual end: the bar stays, then the message.
      auto box = WaitMessageBox(program.Pid(), 60000);
      ASSERT_TRUE(box);
      EXPECT_EQ(box->text,
                Texts(L"最新版のダウンロードが成功しました。\nプログラムを終了し、再起動してください。",
                      L"Download of the latest version was completed.\nTerminate this program and restart."));
      PressButton(box->hwnd, IDOK);
      EXPECT_EQ(ReadFileBytes(downloaded), ReadFileBytes(releases.Package()));
      ::DeleteFileW(downloaded.c_str());
      ::DeleteFileW((downloaded + L".p7s").c_str());
    }
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    auto question = WaitMessageBox(program.Pid());
    ASSERT_TRUE(question);
    const ULONGLONG asked = ::GetTickCount64();
    PressButton(question->hwnd, IDYES);
    EXPECT_TRUE(program.WaitExit(5000)) << "the program ends within seconds";
    if (closeEarly) {
      EXPECT_LT(::GetTickCount64() - asked, 5000u);
    }
    EXPECT_EQ(::GetFileAttributesW(downloaded.c_str()), INVALID_FILE_ATTRIBUTES) << "no package";
    EXPECT_EQ(::GetFileAttributesW((downloaded + L".p7s").c_str()), INVALID_FILE_ATTRIBUTES) << "no signature";
  }
}

}  // namespace
