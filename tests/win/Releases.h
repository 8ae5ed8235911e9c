// A folder of releases for the update service: per product a "version"
// file and that edition's package with its detached signature, taken from
// one of the build's installer folders ("installer" for this version,
// "installer\next" for the next).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"

namespace e2e {

// The package names of the service and the update client.
inline std::wstring PackageName(bool japanese) {
  return japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi";
}

// The package with one byte of its cabinet (a stream of the package)
// changed; empty when it has no cabinet.
inline std::vector<std::uint8_t> WithCabinetByteChanged(std::vector<std::uint8_t> package) {
  static const char kCabinet[] = "MSCF";
  auto at = std::search(package.begin(), package.end(), kCabinet, kCabinet + 4);
  if (at == package.end() || package.end() - at < 5000) return {};
  at[4000] ^= 0x01;
  return package;
}

struct Releases {
  fixtures::TempFolder folder;
  Releases(const std::string& version, const std::wstring& installers = L"installer") {
    for (bool japanese : {true, false}) {
      const std::wstring product = folder.path() + (japanese ? L"k3driftlet" : L"k3driftlet_e");
      ::CreateDirectoryW(product.c_str(), nullptr);
      WriteFileBytes(product + L"\\version", version);
      const std::wstring name = PackageName(japanese);
      const std::wstring from = BinFolder() + L"..\\" + installers + L"\\" + name;
      ::CopyFileW(from.c_str(), (product + L"\\" + name).c_str(), FALSE);
      ::CopyFileW((from + L".p7s").c_str(), (product + L"\\" + name + L".p7s").c_str(), FALSE);
    }
  }
  // This edition's package and signature as the given bytes (no signature
  // file for an empty one).
  void SetPackage(const std::vector<std::uint8_t>& package, const std::vector<std::uint8_t>& signature) const {
    WriteFileBytes(Package(), package);
    ::DeleteFileW(Signature().c_str());
    if (!signature.empty()) WriteFileBytes(Signature(), signature);
  }
  void SetVersion(const std::string& version) {
    for (const wchar_t* product : {L"k3driftlet", L"k3driftlet_e"}) {
      WriteFileBytes(folder.path() + product + L"\\version", version);
    }
  }
  // The package this edition's update would fetch.
  std::wstring Package() const {
    const bool japanese = JapaneseEdition();
    return folder.path() + (japanese ? L"k3driftlet\\" : L"k3driftlet_e\\") +
           PackageName(japanese);
  }
  std::wstring Signature() const { return Package() + L".p7s"; }
};

}  // namespace e2e
