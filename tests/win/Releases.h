// A folder of releases for the update service: per product a "version"
// file and that edition's package, taken from one of the build's installer
// folders ("installer" for this version, "installer\next" for the next).
#pragma once

#include <windows.h>

#include <string>

#include "E2eHarness.h"
#include "ImageFixtures.h"

namespace e2e {

// The package names of the service and the update client.
inline std::wstring PackageName(bool japanese) {
  return japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi";
}

struct Releases {
  fixtures::TempFolder folder;
  Releases(const std::string& version, const std::wstring& installers = L"installer") {
    for (bool japanese : {true, false}) {
      const std::wstring product = folder.path() + (japanese ? L"k3driftlet" : L"k3driftlet_e");
      ::CreateDirectoryW(product.c_str(), nullptr);
      WriteFileBytes(product + L"\\version", version);
      const std::wstring name = PackageName(japanese);
      ::CopyFileW((BinFolder() + L"..\\" + installers + L"\\" + name).c_str(), (product + L"\\" + name).c_str(), FALSE);
    }
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
};

}  // namespace e2e
