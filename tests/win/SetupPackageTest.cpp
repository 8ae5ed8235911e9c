// A setup package as the update client and Kicker read it: its tables, and
// its detached signature verified with the system's crypto against the
// pinned key. Also what the system's own checks of a signed package see
// under the system the tests run on (printed: Wine's differ from Windows').
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "files/SetupPackage.h"

using namespace e2e;

namespace {

std::wstring Built(const std::wstring& folder, bool japanese, const wchar_t* suffix = L"") {
  return BinFolder() + L"..\\installer\\" + folder + L"\\" +
         (japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi") + suffix;
}

bool Verifies(const std::vector<std::uint8_t>& content, const std::vector<std::uint8_t>& signature) {
  return k3::SignedWithKey(content.data(), content.size(), signature.data(), signature.size(), k3::VendorKeyPin());
}

TEST(SetupPackage, TheBuiltPackagesTellTheirEditionsCodesAndVersion) {
  for (bool japanese : {true, false}) {
    SCOPED_TRACE(japanese ? "Japanese" : "English");
    const k3::PackageFacts next = k3::ReadPackageFacts(Built(L"next", japanese));
    ASSERT_TRUE(next.opened);
    EXPECT_EQ(next.productCode, k3::ProductCode(japanese)) << "every version has the edition's product code";
    EXPECT_EQ(next.upgradeCode, k3::UpgradeCode(japanese));
    EXPECT_EQ(next.productVersion, L"1.1.7.0");
    EXPECT_EQ(k3::ReadPackageFacts(Built(L"", japanese)).productVersion, L"1.1.6.0");
    EXPECT_EQ(next.platform, k3::kOwnPlatform) << "the platform of the tree's programs";
    EXPECT_EQ(k3::ReadPackageFacts(Built(L"otherarch", japanese)).platform, sizeof(void*) == 8 ? L"Intel" : L"x64");
  }
  EXPECT_FALSE(k3::ReadPackageFacts(DriftletPath()).opened) << "a program is no package";
  EXPECT_FALSE(k3::ReadPackageFacts(BinFolder() + L"no-such.msi").opened);
}

TEST(SetupPackage, OnlyTheWholePackageSignedWithThePinnedKeyVerifies) {
  ASSERT_EQ(k3::VendorKeyPin().size(), 64u);
  const auto package = ReadFileBytes(Built(L"next", false));
  const auto signature = ReadFileBytes(Built(L"next", false, L".p7s"));
  ASSERT_GT(package.size(), 100000u);
  ASSERT_FALSE(signature.empty());
  EXPECT_TRUE(Verifies(package, signature));
  EXPECT_TRUE(Verifies(ReadFileBytes(Built(L"", true)), ReadFileBytes(Built(L"", true, L".p7s"))));

  // One changed bit anywhere: the first byte, inside the cabinet, the last.
  static const char kCabinet[] = "MSCF";
  const auto cabinet =
      static_cast<std::size_t>(std::search(package.begin(), package.end(), kCabinet, kCabinet + 4) - package.begin());
  ASSERT_LT(cabinet + 5000, package.size());
  for (std::size_t at : {std::size_t{0}, cabinet + 4000, package.size() - 1}) {
    auto changed = package;
    changed[at] ^= 0x01;
    EXPECT_FALSE(Verifies(changed, signature)) << "byte " << at;
  }
  auto longer = package;
  longer.push_back(0);
  EXPECT_FALSE(Verifies(longer, signature)) << "a byte appended";
  EXPECT_FALSE(Verifies(std::vector<std::uint8_t>(package.begin(), package.end() - 1), signature)) << "one cut off";

  // The signature must be of this package by the pinned key.
  EXPECT_FALSE(Verifies(package, ReadFileBytes(Built(L"next", true, L".p7s")))) << "another package's signature";
  EXPECT_FALSE(Verifies(ReadFileBytes(Built(L"otherkey", false)), ReadFileBytes(Built(L"otherkey", false, L".p7s"))))
      << "a valid signature of another key";
  EXPECT_FALSE(Verifies(package, {})) << "none";
  // The signature value ends the message.
  auto garbled = signature;
  garbled[garbled.size() - 8] ^= 0x40;
  EXPECT_FALSE(Verifies(package, garbled)) << "a changed signature value";
  EXPECT_FALSE(Verifies(package, std::vector<std::uint8_t>(signature.begin(), signature.begin() + 100)));

  // A signature with signed attributes by the vendor's key over this very
  // package is refused too: on systems that never compare the digest the
  // attributes carry with the content, it would verify over any content.
  const auto withAttributes = ReadFileBytes(Built(L"next", false, L".attr.p7s"));
  ASSERT_FALSE(withAttributes.empty());
  EXPECT_FALSE(Verifies(package, withAttributes));
}

// The rows a query of a package gives, each row's fields joined by "|".
std::vector<std::wstring> Rows(const std::wstring& package, const wchar_t* query) {
  std::vector<std::wstring> rows;
  MSIHANDLE database = 0, view = 0, record = 0;
  if (::MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS) return {L"(no package)"};
  if (::MsiDatabaseOpenViewW(database, query, &view) == ERROR_SUCCESS && ::MsiViewExecute(view, 0) == ERROR_SUCCESS) {
    while (::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
      std::wstring row;
      for (UINT field = 1; field <= ::MsiRecordGetFieldCount(record); ++field) {
        wchar_t text[128] = {};
        DWORD length = 128;
        ::MsiRecordGetStringW(record, field, text, &length);
        row += (field > 1 ? L"|" : L"") + std::wstring(text);
      }
      rows.push_back(row);
      ::MsiCloseHandle(record);
    }
    ::MsiCloseHandle(view);
  }
  ::MsiCloseHandle(database);
  return rows;
}

// The build trees of both architectures (the i686 one beside this one,
// which builds no tests) and the folders of packages and programs each has.
struct Tree {
  const wchar_t* path;
  std::vector<const wchar_t*> packageFolders;
  std::vector<const wchar_t*> programs;
};
const Tree kTrees[] = {
    {L"..\\",
     {L"", L"next\\", L"broken\\", L"failing\\", L"otherkey\\", L"unsigned\\"},
     {L"bin\\k3driftlet.bin", L"bin\\Kicker.exe", L"next\\bin\\Kicker.exe"}},
    {L"..\\..\\win32\\", {L""}, {L"bin\\k3driftlet.bin", L"bin\\Kicker.exe"}},
};

TEST(SetupPackage, EveryBuiltPackageGivesBothProgramsTheProductsVersionAndNoHash) {
  // Windows Installer replaces an installed program only by the file
  // version its package gives it.
  for (const Tree& tree : kTrees) {
    for (const wchar_t* folder : tree.packageFolders) {
      for (const wchar_t* name : {L"K3DriftletSetup.msi", L"K3DriftletSetup_E.msi"}) {
        const std::wstring package = BinFolder() + tree.path + L"installer\\" + folder + name;
        SCOPED_TRACE(std::string(package.begin(), package.end()));
        const std::wstring version = *folder ? L"1.1.7.0" : L"1.1.6.0";
        const auto files = Rows(package, L"SELECT `File`, `FileName`, `Version`, `Language` FROM `File` "
                                         L"WHERE `File` = 'MainProgramFile' OR `File` = 'KickerFile'");
        EXPECT_EQ(files, (std::vector<std::wstring>{L"MainProgramFile|k3driftlet.bin|" + version + L"|1041,1033",
                                                    L"KickerFile|Kicker.exe|" + version + L"|1041,1033"}));
        for (const auto& hash : Rows(package, L"SELECT `File_` FROM `MsiFileHash`")) {
          EXPECT_TRUE(hash != L"MainProgramFile" && hash != L"KickerFile") << "a versioned file has no hash";
        }
      }
    }
  }
}

TEST(SetupPackage, BothProgramsRunAsInvokedAndTheI686OnesUseTheirWholeAddressSpace) {
  static const std::string kAsInvoker = R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)";
  for (const Tree& tree : kTrees) {
    for (const wchar_t* program : tree.programs) {
      const std::wstring path = BinFolder() + tree.path + program;
      SCOPED_TRACE(std::string(path.begin(), path.end()));
      const auto bytes = ReadFileBytes(path);
      ASSERT_GT(bytes.size(), 0x200u);
      EXPECT_NE(std::search(bytes.begin(), bytes.end(), kAsInvoker.begin(), kAsInvoker.end()), bytes.end());
      // The file header follows "PE\0\0"; its characteristics are its last word.
      std::uint32_t header = 0;
      std::memcpy(&header, &bytes[0x3C], 4);
      ASSERT_LT(header + 24u, bytes.size());
      std::uint16_t machine = 0, characteristics = 0;
      std::memcpy(&machine, &bytes[header + 4], 2);
      std::memcpy(&characteristics, &bytes[header + 22], 2);
      if (machine == IMAGE_FILE_MACHINE_I386) {
        EXPECT_TRUE(characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
      } else {
        EXPECT_EQ(machine, IMAGE_FILE_MACHINE_AMD64);
      }
    }
  }
}

// What the system's own verification of signed packages and programs
// detects: printed for the record, asserted where Windows and Wine agree.
LONG TrustOf(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

TEST(SetupPackage, WhatTheSystemsOwnSignatureChecksDetect) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring changedPackage = std::wstring(temp) + L"k3-changed.msi";
  const std::wstring changedProgram = std::wstring(temp) + L"k3-changed.exe";
  auto package = ReadFileBytes(Built(L"next", false));
  static const char kCabinet[] = "MSCF";
  std::search(package.begin(), package.end(), kCabinet, kCabinet + 4)[4000] ^= 0x01;
  ASSERT_TRUE(WriteFileBytes(changedPackage, package));
  auto program = ReadFileBytes(DriftletPath());
  program[program.size() / 2] ^= 0x01;
  ASSERT_TRUE(WriteFileBytes(changedProgram, program));

  const LONG signedPackage = TrustOf(Built(L"next", false));
  const LONG changed = TrustOf(changedPackage);
  const LONG unsignedPackage = TrustOf(Built(L"unsigned", false));
  const LONG signedProgram = TrustOf(DriftletPath());
  const LONG changedExe = TrustOf(changedProgram);
  std::printf("WinVerifyTrust: signed package 0x%08lx, package with a changed byte 0x%08lx, unsigned package 0x%08lx, "
              "signed program 0x%08lx, program with a changed byte 0x%08lx\n",
              static_cast<unsigned long>(signedPackage), static_cast<unsigned long>(changed),
              static_cast<unsigned long>(unsignedPackage), static_cast<unsigned long>(signedProgram),
              static_cast<unsigned long>(changedExe));
  EXPECT_EQ(unsignedPackage, TRUST_E_NOSIGNATURE);
  EXPECT_EQ(changedExe, TRUST_E_BAD_DIGEST) << "a changed program is detected";
  EXPECT_NE(signedProgram, TRUST_E_BAD_DIGEST);
  ::DeleteFileW(changedPackage.c_str());
  ::DeleteFileW(changedProgram.c_str());
}

}  // namespace
