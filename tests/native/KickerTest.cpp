// Kicker's command lines and names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <iterator>

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
  EXPECT_EQ(InstallCommand(msiexec, L"C:\\Program Files\\K3\\K3DriftletSetup_E.msi"),
            L"\"C:\\windows\\system32\\msiexec.exe\" /qb /i \"C:\\Program Files\\K3\\K3DriftletSetup_E.msi\" /norestart");
  EXPECT_EQ(UpgradeCommand(msiexec, L"C:\\Users\\A B\\K3DriftletSetup_E.msi"),
            L"\"C:\\windows\\system32\\msiexec.exe\" /qb /i \"C:\\Users\\A B\\K3DriftletSetup_E.msi\" "
            L"REINSTALL=ALL REINSTALLMODE=vomus /norestart")
      << "every feature again, the new package cached in place of the old";
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
  const std::wstring product(ProductCode(false));
  EXPECT_NE(UpgradeCode(true), UpgradeCode(false));
  PackageFacts next{true, upgrade, L"1.1.7.0", product};
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"1.1.6.0"), PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L""), PackageVerdict::Install) << "nothing installed";
  PackageFacts lower = next;
  for (auto& c : lower.upgradeCode) c = static_cast<wchar_t>(towlower(c));
  for (auto& c : lower.productCode) c = static_cast<wchar_t>(towlower(c));
  EXPECT_EQ(CheckPackage(lower, product, upgrade, L"1.1.6.0"), PackageVerdict::Install) << "GUIDs without regard to case";

  EXPECT_EQ(CheckPackage({}, product, upgrade, L"1.1.6.0"), PackageVerdict::NotAPackage);
  EXPECT_EQ(CheckPackage({true, std::wstring(UpgradeCode(true)), L"1.1.7.0", std::wstring(ProductCode(true))}, product,
                         upgrade, L"1.1.6.0"),
            PackageVerdict::OtherProduct)
      << "the other edition";
  EXPECT_EQ(CheckPackage({true, upgrade, L"1.1.7.0", std::wstring(ProductCode(true))}, product, upgrade, L"1.1.6.0"),
            PackageVerdict::OtherProduct)
      << "the edition's upgrade code with another product code";
  EXPECT_EQ(CheckPackage({true, upgrade, L"1.1.7.0", L""}, product, upgrade, L""), PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage({true, L"", L"1.1.7.0", product}, product, upgrade, L""), PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"1.1.7.0"), PackageVerdict::NotNewer) << "the same version";
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"1.2.0.0"), PackageVerdict::NotNewer) << "an older one";
  EXPECT_EQ(CheckPackage({true, upgrade, L"newest", product}, product, upgrade, L""), PackageVerdict::NotNewer);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"garbage"), PackageVerdict::NotNewer);
}

TEST(SetupRules, TheUpdateClientTakesOnlyTheAnnouncedNewerVersion) {
  const std::wstring upgrade(UpgradeCode(true));
  const std::wstring product(ProductCode(true));
  const PackageFacts next{true, upgrade, L"1.1.7.0", product};
  const auto running = PackVersion(L"1.1.6.0");
  EXPECT_EQ(CheckPackage(next, product, upgrade, running, PackVersion(1, 1, 7, 0)), PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, product, upgrade, running, PackVersion(1, 1, 8, 0)), PackageVerdict::NotAnnounced)
      << "the service announced another version than the package is";
  EXPECT_EQ(CheckPackage(next, product, upgrade, PackVersion(1, 1, 7, 0), PackVersion(1, 1, 7, 0)),
            PackageVerdict::NotNewer)
      << "announced, but not newer than the running program";
  EXPECT_EQ(CheckPackage(next, std::wstring(ProductCode(false)), std::wstring(UpgradeCode(false)), running,
                         PackVersion(1, 1, 7, 0)),
            PackageVerdict::OtherProduct)
      << "the other edition's package under this edition's name";
  EXPECT_EQ(PackVersion(1, 1, 7, 0), PackVersion(L"1.1.7.0"));
}

TEST(SetupRules, OnlyTheExactPinnedKeyDigestMatches) {
  std::uint8_t digest[kKeyDigestBytes];
  for (std::size_t i = 0; i < sizeof digest; ++i) digest[i] = static_cast<std::uint8_t>(i * 37 + 5);
  std::string pin;
  for (std::uint8_t b : digest) {
    static const char kHex[] = "0123456789abcdef";
    pin += kHex[b >> 4];
    pin += kHex[b & 15];
  }
  EXPECT_TRUE(MatchesPin(digest, sizeof digest, pin));
  std::string upper = pin;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(MatchesPin(digest, sizeof digest, upper)) << "hexadecimal digits in either case";
  for (std::size_t at : {std::size_t{0}, std::size_t{17}, kKeyDigestBytes - 1}) {
    std::uint8_t other[kKeyDigestBytes];
    std::copy(std::begin(digest), std::end(digest), other);
    other[at] ^= 0x01;
    EXPECT_FALSE(MatchesPin(other, sizeof other, pin)) << "one bit changed at byte " << at;
  }
  EXPECT_FALSE(MatchesPin(digest, sizeof digest - 1, pin.substr(0, pin.size() - 2))) << "a shorter digest";
  EXPECT_FALSE(MatchesPin(digest, sizeof digest, pin.substr(0, 62))) << "a short pin";
  EXPECT_FALSE(MatchesPin(digest, sizeof digest, pin + "00")) << "a long pin";
  EXPECT_FALSE(MatchesPin(digest, sizeof digest, "")) << "no pin matches nothing";
  std::string bad = pin;
  bad[10] = 'g';
  EXPECT_FALSE(MatchesPin(digest, sizeof digest, bad));
  EXPECT_FALSE(MatchesPin(nullptr, kKeyDigestBytes, pin));
  EXPECT_EQ(SignatureName(L"C:\\P\\K3DriftletSetup.msi"), L"C:\\P\\K3DriftletSetup.msi.p7s");
}

TEST(KickerRules, InstallerExitCodesOfSuccess) {
  EXPECT_TRUE(InstallerSucceeded(0));
  EXPECT_TRUE(InstallerSucceeded(3010)) << "done, restart needed";
  EXPECT_TRUE(InstallerSucceeded(1641));
  for (std::uint32_t failure : {1602u, 1603u, 1618u, 1619u, 1638u, 259u}) EXPECT_FALSE(InstallerSucceeded(failure));
}

}  // namespace
}  // namespace k3
