// Kicker's command lines and names.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace k3
