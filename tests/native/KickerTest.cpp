// Kicker's command lines and names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <iterator>
#include <string>
#include <vector>

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
  PackageFacts next{true, upgrade, L"1.1.7.0", product, L"Intel"};
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", L"1.1.6.0"), PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", L""), PackageVerdict::Install) << "nothing installed";
  PackageFacts lower = next;
  for (auto& c : lower.upgradeCode) c = static_cast<wchar_t>(towlower(c));
  for (auto& c : lower.productCode) c = static_cast<wchar_t>(towlower(c));
  EXPECT_EQ(CheckPackage(lower, product, upgrade, L"Intel", L"1.1.6.0"), PackageVerdict::Install)
      << "GUIDs without regard to case";

  EXPECT_EQ(CheckPackage({}, product, upgrade, L"Intel", L"1.1.6.0"), PackageVerdict::NotAPackage);
  EXPECT_EQ(CheckPackage({true, std::wstring(UpgradeCode(true)), L"1.1.7.0", std::wstring(ProductCode(true)), L"Intel"},
                         product, upgrade, L"Intel", L"1.1.6.0"),
            PackageVerdict::OtherProduct)
      << "the other edition";
  EXPECT_EQ(CheckPackage({true, upgrade, L"1.1.7.0", std::wstring(ProductCode(true)), L"Intel"}, product, upgrade,
                         L"Intel", L"1.1.6.0"),
            PackageVerdict::OtherProduct)
      << "the edition's upgrade code with another product code";
  EXPECT_EQ(CheckPackage({true, upgrade, L"1.1.7.0", L"", L"Intel"}, product, upgrade, L"Intel", L""),
            PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage({true, L"", L"1.1.7.0", product, L"Intel"}, product, upgrade, L"Intel", L""),
            PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", L"1.1.7.0"), PackageVerdict::NotNewer) << "the same version";
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", L"1.2.0.0"), PackageVerdict::NotNewer) << "an older one";
  EXPECT_EQ(CheckPackage({true, upgrade, L"newest", product, L"Intel"}, product, upgrade, L"Intel", L""),
            PackageVerdict::NotNewer);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", L"garbage"), PackageVerdict::NotNewer);
  // Only a package for the installed programs' platform: a 64-bit package
  // never replaces a 32-bit installation, nor the other way round.
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"x64", L"1.1.6.0"), PackageVerdict::OtherProduct);
  PackageFacts x64 = next;
  x64.platform = L"x64";
  EXPECT_EQ(CheckPackage(x64, product, upgrade, L"Intel", L"1.1.6.0"), PackageVerdict::OtherProduct);
  EXPECT_EQ(CheckPackage(x64, product, upgrade, L"X64", L"1.1.6.0"), PackageVerdict::Install)
      << "without regard to case";
  x64.platform.clear();
  EXPECT_EQ(CheckPackage(x64, product, upgrade, L"Intel", L""), PackageVerdict::OtherProduct)
      << "a package naming none";
  EXPECT_EQ(TemplatePlatform(L"Intel;1033"), L"Intel");
  EXPECT_EQ(TemplatePlatform(L"x64;1041,1033"), L"x64");
  EXPECT_EQ(TemplatePlatform(L";1033"), L"");
  EXPECT_EQ(TemplatePlatform(L"Intel"), L"Intel");
#if defined(__x86_64__)
  EXPECT_STREQ(kOwnPlatform, L"x64");
#elif defined(__i386__)
  EXPECT_STREQ(kOwnPlatform, L"Intel");
#endif
}

TEST(SetupRules, TheUpdateClientTakesOnlyTheAnnouncedNewerVersion) {
  const std::wstring upgrade(UpgradeCode(true));
  const std::wstring product(ProductCode(true));
  const PackageFacts next{true, upgrade, L"1.1.7.0", product, L"Intel"};
  const auto running = PackVersion(L"1.1.6.0");
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", running, PackVersion(1, 1, 7, 0)), PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", running, PackVersion(1, 1, 8, 0)),
            PackageVerdict::NotAnnounced)
      << "the service announced another version than the package is";
  EXPECT_EQ(CheckPackage(next, product, upgrade, L"Intel", PackVersion(1, 1, 7, 0), PackVersion(1, 1, 7, 0)),
            PackageVerdict::NotNewer)
      << "announced, but not newer than the running program";
  EXPECT_EQ(CheckPackage(next, std::wstring(ProductCode(false)), std::wstring(UpgradeCode(false)), L"Intel", running,
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

TEST(KickerRules, InstallerExitCodesOfSuccessAndOfAnInterruptionThatKeepsThePackage) {
  EXPECT_TRUE(InstallerSucceeded(0));
  EXPECT_TRUE(InstallerSucceeded(3010)) << "done, restart needed";
  EXPECT_TRUE(InstallerSucceeded(1641));
  for (std::uint32_t failure : {1602u, 1603u, 1618u, 1619u, 1638u, 259u}) EXPECT_FALSE(InstallerSucceeded(failure));
  EXPECT_TRUE(InstallerInterrupted(1618)) << "another installation in progress";
  EXPECT_TRUE(InstallerInterrupted(1602)) << "cancelled by the user";
  for (std::uint32_t other : {0u, 1603u, 1619u, 1638u, 3010u}) EXPECT_FALSE(InstallerInterrupted(other));
  EXPECT_TRUE(KeepsPackage(PendingOutcome::PutOff));
  EXPECT_TRUE(KeepsPackage(PendingOutcome::Interrupted));
  for (auto gone : {PendingOutcome::Installed, PendingOutcome::Refused, PendingOutcome::Failed}) {
    EXPECT_FALSE(KeepsPackage(gone));
  }
  EXPECT_EQ(AsideName(L"C:\\P Q\\Kicker.exe"), L"C:\\P Q\\Kicker.exe.old");
}

// A version resource's start as a program holds it: its lengths and type,
// the key, padding, and the fixed part with the file version a.b.c.d.
std::vector<std::uint8_t> VersionResource(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                                          std::uint32_t signature = 0xFEEF04BD) {
  std::vector<std::uint8_t> out;
  const auto put16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  const auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  put16(0x2D0), put16(52), put16(0);
  for (char ch : std::string("VS_VERSION_INFO")) put16(static_cast<std::uint8_t>(ch));
  put16(0), put16(0);  // the key's null, padding
  put32(signature), put32(0x10000), put32(std::uint32_t{a} << 16 | b), put32(std::uint32_t{c} << 16 | d);
  out.resize(out.size() + 36, 0);  // the rest of the fixed part
  return out;
}

TEST(KickerRules, AProgramsFileVersionIsReadFromItsBytes) {
  std::vector<std::uint8_t> program(1001, 0x5A);  // code before the resources, of odd length
  program.push_back(0);
  const auto decoy = VersionResource(9, 9, 9, 9, 0x12345678);  // the key without the fixed part's signature
  program.insert(program.end(), decoy.begin(), decoy.end());
  const auto resource = VersionResource(1, 1, 7, 65535);
  program.insert(program.end(), resource.begin(), resource.end());
  EXPECT_EQ(ProgramFileVersion(program.data(), program.size()), PackVersion(1, 1, 7, 65535));
  EXPECT_EQ(ProgramFileVersion(program.data(), program.size() - 1), std::nullopt) << "cut inside the fixed part";
  EXPECT_EQ(ProgramFileVersion(decoy.data(), decoy.size()), std::nullopt);
  EXPECT_EQ(ProgramFileVersion(nullptr, 0), std::nullopt);
}

TEST(KickerRules, AnUpdateRegisteredWithoutItsFilesIsReplacedAgain) {
  const auto v6 = PackVersion(1, 1, 6, 0), v7 = PackVersion(1, 1, 7, 0);
  EXPECT_EQ(VersionToReplace(std::nullopt, {v6, v6}), std::nullopt) << "nothing installed";
  EXPECT_EQ(VersionToReplace(v7, {v7, v7}), v7);
  EXPECT_EQ(VersionToReplace(v7, {v6, v7}), v6) << "the main program kept its old file";
  EXPECT_EQ(VersionToReplace(v7, {v7, v6}), v6) << "Kicker kept its old file";
  EXPECT_EQ(VersionToReplace(v6, {v7, v7}), v6) << "newer files do not hide the registered version";
  EXPECT_EQ(VersionToReplace(v7, {std::nullopt, v7}), 0u) << "a missing program";
  // A half-installed 1.1.7.0 takes its own package again, not an older one.
  const PackageFacts next{true, std::wstring(UpgradeCode(false)), L"1.1.7.0", std::wstring(ProductCode(false)), L"x64"};
  EXPECT_EQ(CheckPackage(next, ProductCode(false), UpgradeCode(false), L"x64", VersionToReplace(v7, {v6, v7})),
            PackageVerdict::Install);
  EXPECT_EQ(CheckPackage(next, ProductCode(false), UpgradeCode(false), L"x64", VersionToReplace(v7, {v7, v7})),
            PackageVerdict::NotNewer);
}

}  // namespace
}  // namespace k3
