#include "app/StartupRules.h"
#include "app/TrayMenu.h"
#include "res/resource.h"
#include "framework/Rect.h"
#include "framework/WindowAlpha.h"

#include <gtest/gtest.h>

#include <map>

#include "files/PathRules.h"

namespace k3 {
namespace {

TEST(Language, JapaneseOnlyFor1041) {
  EXPECT_STREQ(AppTitle(1041), L"\u30D5\u30A9\u30C8\u30C9\u30EA\u30D5\u30EC\u30C3\u30C8");
  // Other Japanese-looking or neighbouring identifiers are not Japanese.
  for (std::uint16_t id : {0, 1033, 1040, 1042, 2065, 0x0011}) {
    EXPECT_STREQ(AppTitle(id), L"Kelvarstone Photo Driftlet") << id;
  }
  EXPECT_EQ(PickByLanguage(1041, 138, 152), 138);
  EXPECT_EQ(PickByLanguage(1033, 138, 152), 152);
}

TEST(CenterInRect, CentresWithIntegerDivision) {
  EXPECT_EQ(CenterInRect({0, 0, 1280, 1024}, 800, 600), (Rect{240, 212, 1040, 812}));
  // A task bar at the bottom shrinks the work area.
  EXPECT_EQ(CenterInRect({0, 0, 1920, 1040}, 800, 600), (Rect{560, 220, 1360, 820}));
  // Work area not at the origin (task bar on the left or top).
  EXPECT_EQ(CenterInRect({100, 40, 1380, 1064}, 800, 600), (Rect{340, 252, 1140, 852}));
  // Odd remainders truncate toward zero.
  EXPECT_EQ(CenterInRect({0, 0, 801, 601}, 800, 600), (Rect{0, 0, 800, 600}));
  // A screen smaller than the window: negative offsets, size kept.
  const Rect small = CenterInRect({0, 0, 640, 480}, 800, 600);
  EXPECT_EQ(small, (Rect{-80, -60, 720, 540}));
}

// A fake file system: paths that exist, with their long forms.
struct FakeFs {
  std::map<std::wstring, std::optional<std::wstring>> entries;
  PathOracle Oracle() const {
    return PathOracle{[this](const std::wstring& p) { return entries.count(p) != 0; },
                      [this](const std::wstring& p) -> std::optional<std::wstring> {
                        auto it = entries.find(p);
                        return it == entries.end() ? std::nullopt : it->second;
                      }};
  }
};

TEST(DecideLaunch, NoArgumentIsNormal) {
  FakeFs fs;
  EXPECT_EQ(DecideLaunch({}, fs.Oracle()).kind, LaunchKind::Normal);
  EXPECT_EQ(DecideLaunch({L"C:\\k3driftlet.bin"}, fs.Oracle()).kind, LaunchKind::Normal);
}

TEST(DecideLaunch, PackagesByLongFormExtensionAnyCase) {
  FakeFs fs;
  fs.entries[L"C:\\shows\\Trip.K3DLT"] = L"C:\\shows\\Trip.K3DLT";
  fs.entries[L"C:\\SHOWS~1\\HOLIDA~1.K3D"] = L"C:\\shows\\Holiday pictures.k3dlt";
  fs.entries[L"C:\\p\\photo.jpg"] = L"C:\\p\\photo.jpg";
  fs.entries[L"C:\\p\\folder.k3dlt\\x"] = L"C:\\p\\folder.k3dlt\\x";

  LaunchDecision d = DecideLaunch({L"exe", L"C:\\shows\\Trip.K3DLT"}, fs.Oracle());
  EXPECT_EQ(d.kind, LaunchKind::Package);
  // The short form is recognised by its long form and passed on unchanged.
  d = DecideLaunch({L"exe", L"C:\\SHOWS~1\\HOLIDA~1.K3D"}, fs.Oracle());
  EXPECT_EQ(d.kind, LaunchKind::Package);
  EXPECT_EQ(d.argument, L"C:\\SHOWS~1\\HOLIDA~1.K3D");
  // Any other existing file starts normal mode; later arguments are ignored.
  EXPECT_EQ(DecideLaunch({L"exe", L"C:\\p\\photo.jpg", L"C:\\shows\\Trip.K3DLT"}, fs.Oracle()).kind,
            LaunchKind::Normal);
  // A dot in a folder name is not an extension of the file.
  EXPECT_EQ(DecideLaunch({L"exe", L"C:\\p\\folder.k3dlt\\x"}, fs.Oracle()).kind, LaunchKind::Normal);
}

TEST(DecideLaunch, MissingPathOrUnreadableLongFormIsInvalid) {
  FakeFs fs;
  fs.entries[L"C:\\locked.k3dlt"] = std::nullopt;  // exists, long form unreadable
  EXPECT_EQ(DecideLaunch({L"exe", L"C:\\gone.k3dlt"}, fs.Oracle()).kind, LaunchKind::InvalidArgument);
  EXPECT_EQ(DecideLaunch({L"exe", L"C:\\locked.k3dlt"}, fs.Oracle()).kind, LaunchKind::InvalidArgument);
  EXPECT_EQ(DecideLaunch({L"exe", L""}, fs.Oracle()).kind, LaunchKind::InvalidArgument);
}

TEST(PathExtension, LikeTheShell) {
  EXPECT_EQ(PathExtension(L"C:\\a\\b.JPG"), L".JPG");
  EXPECT_EQ(PathExtension(L"C:\\a\\b"), L"");
  EXPECT_EQ(PathExtension(L"C:\\a.d\\b"), L"");
  EXPECT_EQ(PathExtension(L"C:\\a\\b.tar.gz"), L".gz");
  EXPECT_EQ(PathExtension(L"C:\\a\\b."), L".");
  EXPECT_EQ(PathExtension(L"C:\\a\\.hidden"), L".hidden");
  EXPECT_EQ(PathExtension(L"C:\\a\\b.my file"), L"");
  EXPECT_EQ(PathExtension(L""), L"");
  EXPECT_TRUE(EqualsNoCase(L".K3dLt", L".k3dlt"));
  EXPECT_FALSE(EqualsNoCase(L".k3dl", L".k3dlt"));
}

TEST(Association, QuotesPathAndPlaceholderVerbatim) {
  EXPECT_EQ(AssociationOpenCommand(L"C:\\Program Files\\K3\\k3driftlet.bin"),
            L"\"C:\\Program Files\\K3\\k3driftlet.bin\" \"%1\"");
  // A percent sign in the path stays as it is.
  EXPECT_EQ(AssociationOpenCommand(L"C:\\100%\\k.bin"), L"\"C:\\100%\\k.bin\" \"%1\"");
  EXPECT_EQ(AssociationDefaultIcon(L"C:\\K3\\k3driftlet.bin"), L"\"C:\\K3\\k3driftlet.bin\",0");
}

TEST(Splash, FadeSequencesAndOpacity) {
  const auto in = SplashFadeInPercents();
  EXPECT_EQ(in.front(), 0);
  EXPECT_EQ(in[1], 5);
  EXPECT_EQ(in.back(), 100);
  const auto out = SplashFadeOutPercents();
  const std::array<int, 21> expected = {100, 98, 95, 93, 90, 88, 85, 83, 80, 78, 75,
                                        73,  70, 68, 65, 63, 60, 58, 55, 53, 50};
  EXPECT_EQ(out, expected);
  EXPECT_EQ(LayeredOpacity(100), std::nullopt) << "exactly 100 drops the layered style";
  EXPECT_EQ(LayeredOpacity(150), std::optional<std::uint8_t>(255)) << "clamped after the test for 100";
  EXPECT_EQ(LayeredOpacity(-5), std::optional<std::uint8_t>(0));
  EXPECT_EQ(LayeredOpacity(50), std::optional<std::uint8_t>(127));
  EXPECT_EQ(LayeredOpacity(99), std::optional<std::uint8_t>(252));
}

}  // namespace
}  // namespace k3

// The notification area's menu follows the drift's state and the mode; the
// pause item says when another program holds the key.
TEST(TrayMenu, ItemsFollowTheStateAndTheMode) {
  using Items = std::vector<k3::TrayMenuItem>;
  EXPECT_EQ(k3::TrayMenuItems({}), (Items{{k3::kTrayPause, IDS_TRAY_PAUSE, false},
                                          {k3::kTrayHide, IDS_TRAY_HIDE, false},
                                          {k3::kTrayMainWindow, IDS_TRAY_MAIN_WINDOW, false},
                                          {k3::kTrayExit, IDS_TRAY_EXIT, true}}));
  const Items viewer = k3::TrayMenuItems({.paused = true, .hidden = true, .viewerMode = true});
  EXPECT_EQ(viewer, (Items{{k3::kTrayPause, IDS_TRAY_RESUME, false},
                           {k3::kTrayHide, IDS_TRAY_SHOW, false},
                           {k3::kTrayExit, IDS_TRAY_EXIT, true}}));
  EXPECT_EQ(k3::TrayMenuItems({.keyAvailable = false}).front().textPair, unsigned{IDS_TRAY_PAUSE_NO_KEY});
  EXPECT_EQ(k3::TrayMenuItems({.paused = true, .keyAvailable = false}).front().textPair,
            unsigned{IDS_TRAY_RESUME_NO_KEY});
  EXPECT_EQ(k3::TrayTipSuffix({}), 0u);
  EXPECT_EQ(k3::TrayTipSuffix({.paused = true}), unsigned{IDS_TRAY_TIP_PAUSED});
  EXPECT_EQ(k3::TrayTipSuffix({.paused = true, .hidden = true}), unsigned{IDS_TRAY_TIP_HIDDEN});
}
