// The update protocol's client side: URLs, replies, versions, packages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/UpdateRules.h"

namespace k3 {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

int Check(const std::string& reply, Version installed) {
  const auto b = Bytes(reply);
  Version v;
  if (!ParseServiceVersion(b.data(), b.size(), v)) return -1;
  return CompareForUpdate(v, installed);
}

TEST(UpdateRules, QueryStringsInTheirFieldOrders) {
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(true), UpdateAction::GetVersion),
            L"http://h.example/versioninfo.php?product=k3driftlet&action=getversion&hddmode=0");
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(false), UpdateAction::GetFileLength),
            L"http://h.example/versioninfo.php?product=k3driftlet_e&hddmode=0&action=getfilelen");
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(false), UpdateAction::GetFile),
            L"http://h.example/versioninfo.php?product=k3driftlet_e&hddmode=0&action=getfile");
}

TEST(UpdateRules, ServiceVersionAgainstTheInstalledOne) {
  const Version installed = VersionFromWords(0x00010001, 0x00060000);  // 1.1.6.0
  EXPECT_EQ(installed.build, 6);
  EXPECT_EQ(Check("01010600", installed), 0);
  EXPECT_EQ(Check("01010601", installed), 1);
  EXPECT_EQ(Check("01020000", installed), 1);
  EXPECT_EQ(Check("01000900", installed), 0);
  EXPECT_EQ(Check("0101060", installed), -1) << "7 characters";
  EXPECT_EQ(Check("010106000", installed), -1) << "9 characters";
  EXPECT_EQ(Check("", installed), -1);
  Version v;
  const auto upper = Bytes("0A0b0cFF");
  ASSERT_TRUE(ParseServiceVersion(upper.data(), upper.size(), v));
  EXPECT_EQ(v.major, 10);
  EXPECT_EQ(v.minor, 11);
  EXPECT_EQ(v.revision, 255);
  // A pair stops at its first non-digit, as strtol does.
  const auto odd = Bytes("0x1G<>99");
  ASSERT_TRUE(ParseServiceVersion(odd.data(), odd.size(), v));
  EXPECT_EQ(v.major, 0);
  EXPECT_EQ(v.minor, 1);
  EXPECT_EQ(v.build, 0);
  EXPECT_EQ(v.revision, 0x99);
}

TEST(UpdateRules, AnnouncedLengthAndWhatMayBeWritten) {
  auto length = [](const std::string& s) {
    const auto b = Bytes(s);
    return ParseAnnouncedLength(b.data(), b.size());
  };
  EXPECT_EQ(length("765952"), 765952);
  EXPECT_EQ(length("  42\r\n"), 42);
  EXPECT_EQ(length("+7x"), 7);
  EXPECT_EQ(length("<html>"), 0);
  EXPECT_EQ(length("-5"), -5);
  EXPECT_EQ(length("99999999999"), 0x7FFFFFFF);

  std::vector<std::uint8_t> msi = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 1, 2, 3, 4};
  EXPECT_TRUE(IsCompleteSetupPackage(msi.data(), msi.size(), 12));
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 13)) << "shorter than announced";
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 11)) << "longer than announced";
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 0));
  const auto page = Bytes("<html>not found</html>");
  EXPECT_FALSE(IsCompleteSetupPackage(page.data(), page.size(), static_cast<long>(page.size()))) << "an error page";
  EXPECT_FALSE(IsCompleteSetupPackage(nullptr, 0, 0));
}

}  // namespace
}  // namespace k3
