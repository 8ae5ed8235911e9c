// Kicker's command lines and names.
#include <gtest/gtest.h>

#include <cwctype>

#include "kicker/KickerRules.h"

namespace k3 {
namespace {

TEST(KickerRules, PackageNamesAndProductCodesPerEdition) {
  EXPECT_EQ(PendingPackageName(true), L"K3DriftletSetup.msi");
  EXPECT_EQ(PendingPackageName(false), L"K3DriftletSetup_E.msi");
  EXPECT_NE(ProductCode(true), ProductCode(false));
  for (bool japanese : {true, false}) {
    const std::wstring_view code = ProductCode(japanese);
    ASSERT_EQ(code.size(), 38u) << "a GUID in braces";
    EXPECT_EQ(code.front(), L'{');
    EXPECT_EQ(code.back(), L'}');
  }
}

TEST(KickerRules, CommandLinesQuoteEveryPath) {
  const std::wstring msiexec = L"C:\\windows\\system32\\msiexec.exe";
  EXPECT_EQ(UninstallCommand(msiexec, L"{X}"), L"\"C:\\windows\\system32\\msiexec.exe\" /qb /x {X}");
  EXPECT_EQ(InstallCommand(msiexec, L"C:\\Program Files\\K3\\K3DriftletSetup_E.msi"),
            L"\"C:\\windows\\system32\\msiexec.exe\" /qb /i \"C:\\Program Files\\K3\\K3DriftletSetup_E.msi\" /norestart");
  // A folder with blanks cannot start "C:\Program.exe" instead.
  EXPECT_EQ(ProgramCommand(L"C:\\Program Files\\K3\\k3driftlet.bin"), L"\"C:\\Program Files\\K3\\k3driftlet.bin\"");
}

TEST(KickerRules, VersionsPackIntoNumbersThatCompareAsVersions) {
  EXPECT_EQ(PackVersion(L"1.1.6.0"), 0x0001000100060000ull);
  EXPECT_EQ(PackVersion(L"1.1.6"), PackVersion(L"1.1.6.0")) << "missing fields are 0";
  EXPECT_EQ(PackVersion(L"2"), 0x0002000000000000ull);
  EXPECT_EQ(PackVersion(L"65535.0.0.1"), 0xFFFF000000000001ull);
  EXPECT_LT(PackVersion(L"1.1.6.0"), PackVersion(L"1.1.7.0"));
  EXPECT_LT(PackVersion(L"1.1.6.9"), PackVersion(L"1.1.7.0"));
  EXPECT_LT(PackVersion(L"1.9.0.0"), PackVersion(L"1.10.0.0")) << "fields compare as numbers, not as text";
  for (const wchar_t* bad : {L"", L".", L"1.", L".1", L"1..2", L"1.2.3.4.5", L"1.65536", L"1,1,6,0", L"v1.1", L"1.1 "}) {
    EXPECT_FALSE(PackVersion(bad)) << bad;
  }
}

TEST(KickerRules, OnlyANewerPackageOfTheEditionsProductReplacesIt) {
  const std::wstring upgrade(UpgradeCode(false));
  EXPECT_NE(UpgradeCode(true), UpgradeCode(false));
  PackageFacts next{true, upgrade, L"1.1.7.0"};
  EXPECT_EQ(CheckPackage(next, upgrade, L"1.1.6.0"), PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, upgrade, L""), PackageVerdict::Install) << "nothing installed";
  PackageFacts lower = next;
  for (auto& c : lower.upgradeCode) c = static_cast<wchar_t>(towlower(c));
  EXPECT_EQ(CheckPackage(lower, upgrade, L"1.1.6.0"), PackageVerdict::Install) << "GUIDs without regard to case";

  EXPECT_EQ(CheckPackage({}, upgrade, L"1.1.6.0"), PackageVerdict::NotAPackage);
  EXPECT_EQ(CheckPackage({true, std::wstring(UpgradeCode(true)), L"1.1.7.0"}, upgrade, L"1.1.6.0"),
            PackageVerdict::OtherProduct)
      << "the other edition";
  EXPECT_EQ(CheckPackage({true, L"", L"1.1.7.0"}, upgrade, L""), PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage(next, upgrade, L"1.1.7.0"), PackageVerdict::NotNewer) << "the same version";
  EXPECT_EQ(CheckPackage(next, upgrade, L"1.2.0.0"), PackageVerdict::NotNewer) << "an older one";
  EXPECT_EQ(CheckPackage({true, upgrade, L"newest"}, upgrade, L""), PackageVerdict::NotNewer);
  EXPECT_EQ(CheckPackage(next, upgrade, L"garbage"), PackageVerdict::NotNewer);
}

TEST(KickerRules, InstallerExitCodesOfSuccess) {
  EXPECT_TRUE(InstallerSucceeded(0));
  EXPECT_TRUE(InstallerSucceeded(3010)) << "done, restart needed";
  EXPECT_TRUE(InstallerSucceeded(1641));
  for (std::uint32_t failure : {1602u, 1603u, 1618u, 1619u, 1638u, 259u}) EXPECT_FALSE(InstallerSucceeded(failure));
}

}  // namespace
}  // namespace k3
